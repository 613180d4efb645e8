#include "panel/RecordRow.h"

#include "AppModel.h"
#include "look/BidiText.h"
#include "look/CrayonBox.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "panel/RowIconButton.h"
#include "panel/Thumbnail.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

namespace ui {

namespace {

constexpr qreal padX = 9;
constexpr qreal padY = 7;
constexpr qreal trailingExtra = 3;
constexpr qreal bottomExtra = 1;
constexpr qreal spacing = 10;
constexpr qreal spacerMin = 4;
constexpr qreal columnSpacing = 2;
constexpr qreal markSize = 10;
constexpr qreal markSpacing = 5;
constexpr int actionSpacing = 2;
constexpr int fieldHeight = 20;

const QColor hoverFill(255, 248, 236);

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QStaticText plainText(const QString& text) {
    QStaticText staticText(text);
    staticText.setTextFormat(Qt::PlainText);
    staticText.setPerformanceHint(QStaticText::AggressiveCaching);
    return staticText;
}

} // namespace

RecordRow::RecordRow(app::AppModel& model, const engine::RenameRecord& record, QWidget* parent)
    : RecordRow(model, record, nullptr, parent) {}

RecordRow::RecordRow(app::AppModel& model, const engine::RenameRecord& record,
                     ThumbnailCache* cache, QWidget* parent)
    : QWidget(parent), model_(model), nameFont_(Fonts::system(13, QFont::Bold)),
      originalFont_(Fonts::mono(10.5)) {
    setFixedHeight(rowHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    thumbnail_ = new Thumbnail(this, Thumbnail::defaultSide, Thumbnail::defaultPixelSize, cache);
    setRecord(record);
}

RecordRow::~RecordRow() = default;

int RecordRow::outlineSeed(const std::string& id) {
    return RecordPresentation::seed(id, 97);
}

void RecordRow::setRecord(const engine::RenameRecord& record) {
    if (record.id != record_.id && editing_) {
        // A different entry: the row starts normal with an empty draft.
        editing_ = false;
        draft_.clear();
        if (field_ != nullptr) {
            field_->hide();
        }
    }
    if (record.id != record_.id || record.source != record_.source) {
        boxLayer_ = QPixmap();
        mark_ = QPixmap();
    }
    record_ = record;
    seed_ = outlineSeed(record_.id);
    const std::filesystem::path file =
        std::filesystem::path(record_.folderPath) / record_.currentName;
    thumbnail_->setPath(q(file.string()));
    updateActions();
    relayout();
    update();
}

QSize RecordRow::sizeHint() const {
    return {336, rowHeight};
}

QSize RecordRow::minimumSizeHint() const {
    return {120, rowHeight};
}

QRectF RecordRow::boxRect() const {
    return {outlineRoom, outlineRoom, width() - outlineRoom - trailingExtra,
            height() - outlineRoom - bottomExtra};
}

void RecordRow::relayout() {
    const QRectF content = boxRect().adjusted(padX, padY, -padX, -padY);
    const qreal centreY = content.center().y();
    thumbnail_->move(qRound(content.left()), qRound(centreY - thumbnail_->height() / 2.0));

    qreal right = content.right() - spacing - spacerMin;
    if (hovering_ && !editing_ && !actions_.empty()) {
        const int side = RowIconButton::side;
        const int count = static_cast<int>(actions_.size());
        int x = qRound(content.right()) - count * side - (count - 1) * actionSpacing;
        right = x - spacing - spacerMin - spacing;
        for (QAbstractButton* button : actions_) {
            button->move(x, qRound(centreY - side / 2.0));
            x += side + actionSpacing;
        }
    }
    const qreal left = content.left() + thumbnail_->width() + spacing;
    const qreal width = std::max<qreal>(0, right - left);

    const QFontMetricsF nameMetrics(nameFont_);
    const QFontMetricsF originalMetrics(originalFont_);
    const qreal firstLine = editing_ ? fieldHeight : nameMetrics.height();
    const qreal top = centreY - (firstLine + columnSpacing + originalMetrics.height()) / 2;

    if (editing_ && field_ != nullptr) {
        field_->setGeometry(qRound(left), qRound(top), qRound(width), fieldHeight);
    }
    markRect_ = QRectF(left, top + (nameMetrics.height() - markSize) / 2, markSize, markSize);
    namePos_ = QPointF(left + markSize + markSpacing, top);
    const qreal nameWidth = std::max<qreal>(0, width - markSize - markSpacing);
    name_ = plainText(
        nameMetrics.elidedText(BidiText::isolated(RecordPresentation::stemOf(record_.currentName)),
                               Qt::ElideRight, nameWidth));
    name_.prepare(QTransform(), nameFont_);

    originalPos_ = QPointF(left, top + firstLine + columnSpacing);
    const QString original = originalMetrics.elidedText(
        BidiText::isolated(RecordPresentation::stemOf(record_.originalName)), Qt::ElideRight,
        width);
    original_ = plainText(original);
    original_.prepare(QTransform(), originalFont_);
    strike_ = RecordPresentation::strikeLine(originalMetrics, originalPos_,
                                             originalMetrics.horizontalAdvance(original));
    strikeWidth_ = originalMetrics.lineWidth();
}

void RecordRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal dpr = painter.device()->devicePixelRatioF();
    const QRectF box = boxRect();
    painter.drawPixmap(box.topLeft() - QPointF(CrayonBox::spill, CrayonBox::spill),
                       boxLayer(box.size(), dpr));
    if (!editing_) {
        painter.drawPixmap(markRect_.topLeft(), markPixmap(dpr));
        painter.setFont(nameFont_);
        painter.setPen(Ink::ink());
        painter.drawStaticText(namePos_, name_);
    }
    painter.setFont(originalFont_);
    painter.setPen(Ink::ink4());
    painter.drawStaticText(originalPos_, original_);
    painter.setPen(QPen(RecordPresentation::strikeColor(), strikeWidth_));
    painter.drawLine(strike_);
}

// Kept per row so a repaint draws without building cache keys; the pixmaps are shared with
// the look's caches.
const QPixmap& RecordRow::boxLayer(const QSizeF& size, qreal dpr) {
    if (boxLayer_.isNull() || boxLayerHovering_ != hovering_ || boxLayerSize_ != size ||
        !qFuzzyCompare(boxLayer_.devicePixelRatioF(), dpr)) {
        const CrayonBox box{hovering_ ? hoverFill : QColor(Qt::white),
                            std::nullopt,
                            Ink::ink(),
                            1.8,
                            12,
                            false,
                            false,
                            static_cast<double>(seed_)};
        boxLayer_ = box.layer(size, dpr);
        boxLayerHovering_ = hovering_;
        boxLayerSize_ = size;
    }
    return boxLayer_;
}

const QPixmap& RecordRow::markPixmap(qreal dpr) {
    if (mark_.isNull() || !qFuzzyCompare(mark_.devicePixelRatioF(), dpr)) {
        mark_ = Icons::pixmap(RecordPresentation::sourceIcon(record_.source), Ink::orange(),
                              markSize, dpr);
    }
    return mark_;
}

void RecordRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void RecordRow::enterEvent(QEnterEvent* event) {
    setHovering(true);
    QWidget::enterEvent(event);
}

void RecordRow::leaveEvent(QEvent* event) {
    setHovering(false);
    QWidget::leaveEvent(event);
}

void RecordRow::setHovering(bool hovering) {
    if (hovering == hovering_) {
        return;
    }
    hovering_ = hovering;
    updateActions();
    relayout();
    update();
}

void RecordRow::updateActions() {
    const bool shown = hovering_ && !editing_;
    if (shown) {
        ensureActions();
    }
    for (QAbstractButton* button : actions_) {
        button->setVisible(shown);
    }
}

// Made on the first hover: a long list of rows should not carry ninety hidden buttons.
void RecordRow::ensureActions() {
    if (!actions_.empty()) {
        return;
    }
    for (const auto& entry : RecordPresentation::hoverActions(record_)) {
        auto* button = new RowIconButton(entry.icon, entry.label, this);
        connect(button, &QAbstractButton::clicked, this,
                [this, action = entry.action] { post(action); });
        button->hide();
        actions_.push_back(button);
    }
}

void RecordRow::ensureField() {
    if (field_ != nullptr) {
        return;
    }
    field_ = new QLineEdit(this);
    field_->setPlaceholderText(QStringLiteral("Name"));
    field_->setFont(Fonts::system(11));
    field_->setFixedHeight(fieldHeight);
    field_->hide();
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textEdited, this, [this](const QString& text) { draft_ = text; });
    connect(field_, &QLineEdit::returnPressed, this, &RecordRow::submit);
}

void RecordRow::beginRename(bool focusField) {
    ensureField();
    draft_ = RecordPresentation::stemOf(record_.currentName);
    field_->setText(draft_);
    editing_ = true;
    updateActions();
    relayout();
    field_->show();
    update();
    if (focusField) {
        QTimer::singleShot(0, field_, [field = field_] {
            field->setFocus(Qt::OtherFocusReason);
            field->selectAll();
        });
    }
}

bool RecordRow::endEditing() {
    if (!editing_) {
        return false;
    }
    editing_ = false;
    field_->hide();
    updateActions();
    relayout();
    update();
    return true;
}

void RecordRow::submit() {
    if (!endEditing()) {
        return;
    }
    QMetaObject::invokeMethod(
        &model_,
        [model = &model_, id = record_.id, typed = draft_] {
            if (const auto record = model->record(id)) {
                model->correct(*record, typed);
            }
        },
        Qt::QueuedConnection);
}

void RecordRow::cancel() {
    endEditing();
}

bool RecordRow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && editing_) {
        const auto type = event->type();
        if (type == QEvent::ShortcutOverride || type == QEvent::KeyPress) {
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
                // Escape belongs to the field while it edits: it must not also close the panel.
                event->accept();
                if (type == QEvent::KeyPress) {
                    cancel();
                }
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RecordRow::post(RecordPresentation::Action action) {
    if (action == RecordPresentation::Action::rename) {
        beginRename(true);
        return;
    }
    QMetaObject::invokeMethod(
        &model_,
        [model = &model_, action, id = record_.id] {
            RecordPresentation::perform(*model, id, action);
        },
        Qt::QueuedConnection);
}

void RecordRow::fillContextMenu(QMenu& menu) {
    RecordPresentation::fillMenu(menu, record_, RecordPresentation::Place::row,
                                 [this](RecordPresentation::Action action) {
                                     if (action == RecordPresentation::Action::rename) {
                                         beginRename(false);
                                     } else {
                                         post(action);
                                     }
                                 });
}

void RecordRow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    fillContextMenu(menu);
    menu.exec(event->globalPos());
}

bool RecordRow::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (!editing_ && markRect_.contains(help->pos())) {
            QToolTip::showText(help->globalPos(), RecordPresentation::sourceTooltip(record_.source),
                               this, markRect_.toAlignedRect());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

} // namespace ui

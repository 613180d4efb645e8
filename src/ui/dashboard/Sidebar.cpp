#include "dashboard/Sidebar.h"

#include "AppModel.h"
#include "access/Accessibility.h"
#include "dashboard/DashboardModel.h"
#include "dashboard/DashboardText.h"
#include "look/CrayonBox.h"
#include "look/CrayonButton.h"
#include "look/FocusRing.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "panel/CachedLogo.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVariantAnimation>

namespace ui {

namespace {

using app::DashScope;

constexpr qreal sidePadding = 14;
constexpr qreal verticalPadding = 20;
constexpr qreal stackSpacing = 4;
constexpr qreal entryHeight = 32;
constexpr qreal headerHeight = 32;
constexpr qreal tidyPadding = 12;

const QString kTidyNote = QStringLiteral("Vague names get fixed. Good names are left alone.");
const QString kPrivacy = QStringLiteral("On this computer. Nothing uploaded.");

qreal lineHeight(const QFont& font) {
    return QFontMetricsF(font).height();
}

QFont privacyFont() {
    return Fonts::system(10.5, QFont::DemiBold);
}

constexpr qreal privacyIndent = 4 + 10 + 6;

// The privacy line wraps rather than lose its end in a narrow column.
QRectF privacyTextRect(qreal bottom) {
    const qreal textWidth = Sidebar::width - 2 * sidePadding - privacyIndent;
    const QRectF bounds =
        QFontMetricsF(privacyFont())
            .boundingRect(QRectF(0, 0, textWidth, 200), Qt::TextWordWrap, kPrivacy);
    return {sidePadding + privacyIndent, bottom - bounds.height(), textWidth, bounds.height()};
}

} // namespace

Sidebar::Sidebar(app::AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model),
      tidy_(new CrayonButton(QStringLiteral("Choose Folder\u2026"), CrayonButton::Kind::orange,
                             true, this)),
      settings_(
          new CrayonButton(QStringLiteral("Settings"), CrayonButton::Kind::plain, true, this)),
      selection_(new QVariantAnimation(this)) {
    setFixedWidth(width);
    selection_->setDuration(120);
    selection_->setEasingCurve(QEasingCurve::OutCubic);
    selection_->setStartValue(0.0);
    selection_->setEndValue(1.0);
    connect(selection_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        selectionProgress_ = value.toReal();
        update();
    });
    setMouseTracking(true);
    // Entries take focus from the keyboard; a click chooses without moving focus here.
    setFocusPolicy(Qt::TabFocus);
    // Installed before the name is set: naming makes Qt describe the widget at once.
    Accessibility::install();
    setAccessibleName(QStringLiteral("Library"));
    FocusRing::attach(this);
    settings_->hide();
    connect(tidy_, &QAbstractButton::clicked, this, [this]() { model_.chooseFolderToTidy(); });
    connect(settings_, &QAbstractButton::clicked, this, &Sidebar::settingsRequested);
    refresh();
}

void Sidebar::setScope(const DashScope& scope) {
    if (scope == scope_) {
        return;
    }
    previous_ = scope_;
    scope_ = scope;
    if (const int selected = selectedEntry(); selected >= 0) {
        current_ = selected;
    }
    selection_->stop();
    selection_->start();
}

void Sidebar::setSettingsButtonVisible(bool visible) {
    settings_->setVisible(visible);
    layoutEntries();
    update();
}

void Sidebar::refresh() {
    layoutEntries();
    update();
}

void Sidebar::layoutEntries() {
    const app::DashboardModel dashboard({&model_.history(), 0, 1}, scope_, {},
                                        app::DashboardModel::Clock::now());
    entries_.clear();
    labels_.clear();
    const qreal left = sidePadding;
    const qreal entryWidth = width - 2 * sidePadding;
    qreal y = verticalPadding + headerHeight + 16;
    if (settings_->isVisible()) {
        const QSize size = settings_->sizeHint();
        const QMargins spill = CrayonButton::spillMargins();
        settings_->setGeometry(static_cast<int>(left) - spill.left(),
                               static_cast<int>(y) - spill.top(), size.width(), size.height());
        y += size.height() - spill.top() - spill.bottom() + 12;
    }
    const QFont eyebrow = Fonts::eyebrow();
    labels_.emplace_back(QStringLiteral("Library"), y);
    y += lineHeight(eyebrow) + 2 + stackSpacing;
    const int active = static_cast<int>(model_.activeRecords().size());
    const std::vector<Entry> scopes = {
        {QStringLiteral("All screenshots"),
         QStringLiteral("images-square"),
         DashScope::all(),
         active,
         {}},
        {QStringLiteral("Today"), QStringLiteral("sun"), DashScope::today(), std::nullopt, {}},
        {QStringLiteral("This week"),
         QStringLiteral("calendar-blank"),
         DashScope::week(),
         std::nullopt,
         {}},
        {QStringLiteral("Undone"),
         QStringLiteral("arrow-u-up-left"),
         DashScope::undone(),
         std::nullopt,
         {}},
    };
    for (Entry entry : scopes) {
        entry.rect = QRectF(left, y, entryWidth, entryHeight);
        entries_.push_back(entry);
        y += entryHeight + stackSpacing;
    }
    const auto folders = dashboard.folders();
    if (!folders.empty()) {
        y += 14;
        labels_.emplace_back(QStringLiteral("Folders"), y);
        y += lineHeight(eyebrow) + 2 + stackSpacing;
        for (const auto& folder : folders) {
            const QString path = QString::fromStdString(folder);
            entries_.push_back({DashboardText::lastComponent(path), QStringLiteral("folder"),
                                DashScope::folder(folder), std::nullopt,
                                QRectF(left, y, entryWidth, entryHeight)});
            y += entryHeight + stackSpacing;
        }
    }
    current_ = std::clamp(current_, 0, static_cast<int>(entries_.size()) - 1);
    const QRectF box = tidyBox();
    const QSize button = tidy_->sizeHint();
    const QMargins spill = CrayonButton::spillMargins();
    tidy_->setGeometry(static_cast<int>(box.left() + tidyPadding) - spill.left(),
                       static_cast<int>(box.bottom() - tidyPadding) - button.height() +
                           spill.bottom(),
                       button.width(), button.height());
}

qreal Sidebar::tidyBoxHeight() const {
    const qreal textWidth = width - 2 * sidePadding - 3 - 2 * tidyPadding;
    const QRectF note =
        QFontMetricsF(Fonts::system(11))
            .boundingRect(QRectF(0, 0, textWidth, 1000), Qt::TextWordWrap, kTidyNote);
    const QMargins spill = CrayonButton::spillMargins();
    const qreal button = tidy_->sizeHint().height() - spill.top() - spill.bottom();
    return tidyPadding + lineHeight(Fonts::hand(20)) + 8 + note.height() + 8 + button + tidyPadding;
}

QRectF Sidebar::tidyBox() const {
    const qreal privacy = 10 + privacyTextRect(0).height();
    const qreal bottom = QWidget::height() - verticalPadding - privacy;
    const qreal boxHeight = tidyBoxHeight();
    return {sidePadding, bottom - boxHeight - stackSpacing, width - 2 * sidePadding - 3.0,
            boxHeight};
}

void Sidebar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // Header: logo and name.
    CachedLogo::paint(painter, QRectF(sidePadding, verticalPadding, 32, 32));
    painter.setFont(Fonts::hand(26));
    painter.setPen(Ink::ink());
    painter.drawText(QRectF(sidePadding + 32 + 9, verticalPadding, width, headerHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Quillmark"));

    const QFont eyebrow = Fonts::eyebrow();
    painter.setFont(eyebrow);
    painter.setPen(Ink::orangeDeep());
    for (const auto& [text, top] : labels_) {
        painter.drawText(QPointF(sidePadding + 10, top + QFontMetricsF(eyebrow).ascent()),
                         Fonts::eyebrowText(text));
    }

    for (const Entry& entry : entries_) {
        const bool selected = entry.scope == scope_;
        // The box moves from the old entry to the new one by fading across.
        const qreal boxOpacity =
            selected ? selectionProgress_ : (entry.scope == previous_ ? 1 - selectionProgress_ : 0);
        if (boxOpacity > 0) {
            QColor hatch = Ink::orange();
            hatch.setAlphaF(0.18F);
            CrayonBox box{Ink::peach(), hatch, Ink::ink(), 1.8, 10, false, false, 61};
            painter.setOpacity(boxOpacity);
            box.paint(painter, entry.rect);
            painter.setOpacity(1);
        }
        const QRectF row = entry.rect.adjusted(10, 0, -10, 0);
        Icons::paint(painter, QRectF(row.left() + 2.75, row.center().y() - 6.25, 12.5, 12.5),
                     entry.icon, Ink::ink());
        QFont title = Fonts::system(13, selected ? QFont::Bold : QFont::DemiBold);
        qreal countWidth = 0;
        if (entry.count) {
            const QFont countFont = Fonts::system(11, QFont::Bold);
            const QString count = QString::number(*entry.count);
            countWidth = QFontMetricsF(countFont).horizontalAdvance(count);
            painter.setFont(countFont);
            painter.setPen(Ink::ink3());
            painter.drawText(row, Qt::AlignVCenter | Qt::AlignRight, count);
        }
        painter.setFont(title);
        painter.setPen(Ink::ink());
        const qreal titleLeft = row.left() + 18 + 9;
        const qreal titleWidth = row.right() - titleLeft - (countWidth > 0 ? countWidth + 4 : 0);
        painter.drawText(QRectF(titleLeft, row.top(), titleWidth, row.height()),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(title).elidedText(entry.title, Qt::ElideRight, titleWidth));
    }

    if (FocusRing::isShown(this) && current_ >= 0 && current_ < static_cast<int>(entries_.size())) {
        FocusRing::paint(painter, entries_[current_].rect, 10, 61, 1.5);
    }

    // Tidy box.
    const QRectF box = tidyBox();
    QColor yellow = Ink::yellow();
    yellow.setAlphaF(0.45F);
    CrayonBox{Qt::white, yellow, Ink::ink(), 2.2, 14, true, false, 51}.paint(painter, box);
    const QRectF inner = box.adjusted(tidyPadding, tidyPadding, -tidyPadding, -tidyPadding);
    painter.setFont(Fonts::hand(20));
    painter.setPen(Ink::ink());
    painter.drawText(QRectF(inner.left(), inner.top(), inner.width(), lineHeight(Fonts::hand(20))),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tidy a folder"));
    painter.setFont(Fonts::system(11));
    painter.setPen(Ink::ink3());
    painter.drawText(
        QRectF(inner.left(), inner.top() + lineHeight(Fonts::hand(20)) + 8, inner.width(), 200),
        Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, kTidyNote);

    // Privacy line.
    const QRectF privacy = privacyTextRect(QWidget::height() - verticalPadding);
    Icons::paint(
        painter,
        QRectF(sidePadding + 4, privacy.top() + (lineHeight(privacyFont()) - 10) / 2, 10, 10),
        QStringLiteral("lock-fill"), Ink::ink3());
    painter.setFont(privacyFont());
    painter.setPen(Ink::ink3());
    painter.drawText(privacy, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, kPrivacy);

    // The rule along the trailing edge.
    QPainterPath rule;
    rule.addRoundedRect(QRectF(width - 2.2, 18, 2.2, QWidget::height() - 36), 1.1, 1.1);
    painter.fillPath(rule, Ink::ink());
}

void Sidebar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutEntries();
}

int Sidebar::entryAt(const QPointF& point) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].rect.contains(point)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Sidebar::mousePressEvent(QMouseEvent* event) {
    const int index = entryAt(event->position());
    if (event->button() != Qt::LeftButton || index < 0) {
        return;
    }
    choose(index);
}

void Sidebar::choose(int index) {
    const DashScope chosen = entries_.at(index).scope;
    current_ = index;
    if (chosen == scope_) {
        update();
        return;
    }
    setScope(chosen);
    emit scopeChosen(chosen);
}

int Sidebar::selectedEntry() const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].scope == scope_) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void Sidebar::moveCurrent(int index) {
    if (entries_.empty()) {
        return;
    }
    current_ = std::clamp(index, 0, static_cast<int>(entries_.size()) - 1);
    FocusRing::showFor(this);
    update();
    Accessibility::itemFocused(this, current_);
}

void Sidebar::focusInEvent(QFocusEvent* event) {
    // Tab lands on the chosen scope, as in a list of tabs.
    if (const int selected = selectedEntry(); selected >= 0) {
        current_ = selected;
    }
    QWidget::focusInEvent(event);
    Accessibility::itemFocused(this, current_);
}

void Sidebar::keyPressEvent(QKeyEvent* event) {
    const int last = static_cast<int>(entries_.size()) - 1;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        moveCurrent(current_ - 1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        moveCurrent(current_ + 1);
        break;
    case Qt::Key_Home:
        moveCurrent(0);
        break;
    case Qt::Key_End:
        moveCurrent(last);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current_ >= 0 && current_ <= last) {
            FocusRing::showFor(this);
            choose(current_);
        }
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

int Sidebar::accessibleItemCount() const {
    return static_cast<int>(entries_.size());
}

QString Sidebar::accessibleItemName(int index) const {
    return entries_.at(index).title;
}

QString Sidebar::accessibleItemDescription(int index) const {
    const Entry& entry = entries_.at(index);
    if (entry.count) {
        return QString::number(*entry.count);
    }
    if (entry.scope.kind == DashScope::Kind::folder) {
        return QString::fromStdString(entry.scope.folderPath);
    }
    return {};
}

QRect Sidebar::accessibleItemRect(int index) const {
    return entries_.at(index).rect.toAlignedRect();
}

bool Sidebar::accessibleItemSelected(int index) const {
    return entries_.at(index).scope == scope_;
}

void Sidebar::activateAccessibleItem(int index) {
    choose(index);
}

void Sidebar::mouseMoveEvent(QMouseEvent* event) {
    setCursor(entryAt(event->position()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

} // namespace ui

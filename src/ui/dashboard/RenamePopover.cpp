#include "dashboard/RenamePopover.h"

#include "look/CrayonBox.h"
#include "look/CrayonButton.h"
#include "look/Fonts.h"
#include "look/Ink.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace ui {

RenamePopover::RenamePopover(std::string recordId, const QString& draft, QWidget* parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint), recordId_(std::move(recordId)),
      field_(new QLineEdit(draft, this)),
      cancel_(new CrayonButton(QStringLiteral("Cancel"), CrayonButton::Kind::plain, true, this)),
      save_(new CrayonButton(QStringLiteral("Save"), CrayonButton::Kind::orange, true, this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);

    auto* title = new QLabel(QStringLiteral("Rename"), this);
    title->setFont(Fonts::hand(22));
    column->addWidget(title);

    field_->setPlaceholderText(QStringLiteral("Name"));
    field_->setFont(Fonts::system(13, QFont::DemiBold));
    field_->setFrame(false);
    field_->setFixedSize(260, 32);
    field_->setTextMargins(10, 0, 10, 0);
    field_->setStyleSheet(QStringLiteral("background: transparent;"));
    column->addWidget(field_);

    auto* hint = new QLabel(
        QStringLiteral("Quillmark learns from your fix. Later names follow your style."), this);
    hint->setFont(Fonts::system(10.5));
    hint->setWordWrap(true);
    hint->setMaximumWidth(260);
    QPalette hintPalette = hint->palette();
    hintPalette.setColor(QPalette::WindowText, Ink::ink3());
    hint->setPalette(hintPalette);
    column->addWidget(hint);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(save_);
    column->addLayout(buttons);

    connect(field_, &QLineEdit::returnPressed, this, &RenamePopover::save);
    connect(save_, &QAbstractButton::clicked, this, &RenamePopover::save);
    connect(cancel_, &QAbstractButton::clicked, this, &QWidget::close);
    selectFromStart();
}

void RenamePopover::selectFromStart() {
    const auto length = static_cast<int>(field_->text().size());
    field_->setSelection(length, -length);
}

QPoint RenamePopover::placement(const QSize& size, const QRect& card, const QRect& area) {
    constexpr int gap = 6;
    QPoint topLeft(card.center().x() - size.width() / 2, card.bottom() + 1 + gap);
    // Not enough room below: above the card rather than over it, if there is room there.
    if (topLeft.y() + size.height() > area.bottom() + 1 &&
        card.top() - gap - size.height() >= area.top()) {
        topLeft.setY(card.top() - gap - size.height());
    }
    topLeft.setX(std::clamp(topLeft.x(), area.left(),
                            std::max(area.left(), area.right() + 1 - size.width())));
    topLeft.setY(std::clamp(topLeft.y(), area.top(),
                            std::max(area.top(), area.bottom() + 1 - size.height())));
    return topLeft;
}

void RenamePopover::showBelow(const QPoint& anchor) {
    showNear(QRect(anchor.x(), anchor.y() - 1, 1, 1));
}

void RenamePopover::showNear(const QRect& card) {
    adjustSize();
    QPoint topLeft(card.center().x() - width() / 2, card.bottom() + 7);
    if (const QScreen* screen = QGuiApplication::screenAt(card.center())) {
        topLeft = placement(size(), card, screen->availableGeometry());
    }
    showAt(topLeft);
}

void RenamePopover::showAt(const QPoint& topLeft) {
    move(topLeft);
    show();
    field_->setFocus(Qt::PopupFocusReason);
    selectFromStart();
}

void RenamePopover::save() {
    // Return reaches both the field and the popover; one press is one correction.
    if (done_) {
        return;
    }
    done_ = true;
    const QString draft = field_->text();
    close();
    emit saved(draft);
}

void RenamePopover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        save(); // Save is the default button
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RenamePopover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), Ink::paper());
    painter.setPen(QPen(Ink::ink(), 1.5));
    painter.drawRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
    CrayonBox box;
    box.fill = Qt::white;
    box.line = Ink::ink();
    box.lineWidth = 1.8;
    box.radius = 9;
    box.seed = 81;
    box.paint(painter, field_->geometry());
}

} // namespace ui

#include "dashboard/SearchBox.h"

#include "look/CrayonBox.h"
#include "look/FocusRing.h"
#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "look/PointerCursor.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace ui {

namespace {

const QString kHint = QStringLiteral("Ctrl+F");
constexpr qreal rowPadding = 14;
constexpr qreal iconSize = 13;
constexpr qreal gap = 8;

QFont hintFont() {
    return Fonts::system(10.5, QFont::Bold);
}

} // namespace

SearchBox::SearchBox(QWidget* parent)
    : QWidget(parent), field_(new QLineEdit(this)), clear_(new QToolButton(this)) {
    setFixedSize(boxWidth + 2 * margin + shadowRoom, boxHeight + 2 * margin + shadowRoom);
    field_->setPlaceholderText(QStringLiteral("Search names and text\u2026"));
    field_->setFont(Fonts::system(14, QFont::DemiBold));
    field_->setFrame(false);
    field_->setStyleSheet(QStringLiteral("background: transparent;"));
    field_->setAccessibleName(QStringLiteral("Search names"));
    FocusRing::attach(field_);

    const qreal iconSide = 14;
    clear_->setIcon(QIcon(Icons::pixmap(QStringLiteral("x-circle-fill"), Ink::ink3(), iconSide,
                                        devicePixelRatioF())));
    clear_->setAutoRaise(true);
    clear_->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    clear_->setToolTip(QStringLiteral("Clear"));
    clear_->setAccessibleName(QStringLiteral("Clear"));
    // Escape clears from the keyboard; the button is for the pointer.
    clear_->setFocusPolicy(Qt::NoFocus);
    clear_->hide();
    PointerCursor::attach(clear_);

    const QRectF b = box();
    const qreal fieldLeft = b.left() + rowPadding + iconSize + gap;
    const qreal trailing = hintRect().width() + gap + rowPadding;
    field_->setGeometry(static_cast<int>(fieldLeft), static_cast<int>(b.top() + 4),
                        static_cast<int>(b.right() - trailing - fieldLeft),
                        static_cast<int>(b.height() - 8));
    clear_->setGeometry(static_cast<int>(b.right() - rowPadding - 20),
                        static_cast<int>(b.center().y() - 10), 20, 20);

    connect(field_, &QLineEdit::textChanged, this, [this](const QString& text) {
        clear_->setVisible(!text.isEmpty());
        update();
        emit queryChanged(text);
    });
    connect(clear_, &QToolButton::clicked, field_, &QLineEdit::clear);
    field_->installEventFilter(this);
}

bool SearchBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == field_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !field_->text().isEmpty()) {
        field_->clear();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString SearchBox::query() const {
    return field_->text();
}

void SearchBox::focusField() {
    field_->setFocus(Qt::ShortcutFocusReason);
}

bool SearchBox::showsHint() const {
    return field_->text().isEmpty();
}

QRectF SearchBox::box() const {
    return {margin, margin, boxWidth, boxHeight};
}

QRectF SearchBox::hintRect() const {
    const QFontMetricsF metrics(hintFont());
    const QSizeF size(metrics.horizontalAdvance(kHint) + 12, metrics.height() + 4);
    const QRectF b = box();
    return {b.right() - rowPadding - size.width(), b.center().y() - size.height() / 2, size.width(),
            size.height()};
}

void SearchBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    CrayonBox{Qt::white, std::nullopt, Ink::ink(), 2.2, 12, true, false, 41}.paint(painter, box());
    if (FocusRing::isShown(field_)) {
        FocusRing::paint(painter, box(), 12, 41, 1.5);
    }
    const QRectF b = box();
    Icons::paint(painter,
                 QRectF(b.left() + rowPadding, b.center().y() - iconSize / 2, iconSize, iconSize),
                 QStringLiteral("magnifying-glass"), Ink::ink());
    if (showsHint()) {
        const QRectF hint = hintRect();
        QPainterPath shape;
        shape.addRoundedRect(hint.adjusted(0.6, 0.6, -0.6, -0.6), 5, 5);
        painter.fillPath(shape, Ink::paper());
        painter.setPen(QPen(Ink::ink(), 1.2));
        painter.drawPath(shape);
        painter.setFont(hintFont());
        painter.drawText(hint, Qt::AlignCenter, kHint);
    }
}

} // namespace ui

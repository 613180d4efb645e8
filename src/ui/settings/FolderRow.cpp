#include "settings/FolderRow.h"

#include "look/Fonts.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "panel/FolderName.h"
#include "panel/IconButton.h"

#include <QFontMetricsF>
#include <QPainter>

namespace ui {

namespace {

constexpr qreal iconSize = 14;
constexpr qreal spacing = 6;
constexpr int buttonSize = 18;

QFont rowFont() {
    return Fonts::system(12.5, QFont::Medium);
}

} // namespace

FolderRow::FolderRow(const QString& folder, QWidget* parent)
    : QWidget(parent), folder_(folder),
      remove_(new IconButton(QStringLiteral("minus-circle-fill"), Ink::orangeDeep(), 14,
                             QSize(buttonSize, buttonSize), this)) {
    setToolTip(folder);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    remove_->setToolTip(QStringLiteral("Stop watching ") + name());
    remove_->setAccessibleName(remove_->toolTip());
    connect(remove_, &QAbstractButton::clicked, this, [this] { emit removeRequested(folder_); });
}

QString FolderRow::name() const {
    return FolderName::of(folder_);
}

QSize FolderRow::sizeHint() const {
    const QFontMetricsF metrics(rowFont());
    const qreal width =
        iconSize + spacing + metrics.horizontalAdvance(name()) + spacing + buttonSize;
    return QSizeF(std::ceil(width), std::max<qreal>(buttonSize, std::ceil(metrics.height())))
        .toSize();
}

QSize FolderRow::minimumSizeHint() const {
    return {static_cast<int>(iconSize + spacing * 2) + buttonSize + 20, sizeHint().height()};
}

void FolderRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    remove_->move(width() - buttonSize, (height() - buttonSize) / 2);
}

void FolderRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    Icons::paint(painter, QRectF(0, (height() - iconSize) / 2, iconSize, iconSize),
                 QStringLiteral("folder-fill"), Ink::blue());
    const QFont font = rowFont();
    const QFontMetricsF metrics(font);
    const qreal left = iconSize + spacing;
    const qreal available = width() - left - spacing - buttonSize;
    painter.setFont(font);
    painter.setPen(Ink::ink());
    painter.drawText(QRectF(left, 0, available, height()), Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(name(), Qt::ElideMiddle, available));
}

} // namespace ui

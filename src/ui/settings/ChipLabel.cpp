#include "settings/ChipLabel.h"

#include <QPainter>
#include <cmath>

namespace ui {

ChipLabel::ChipLabel(Chip chip, QWidget* parent) : QWidget(parent), chip_(std::move(chip)) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(chip_.text);
}

QSize ChipLabel::sizeHint() const {
    const QSizeF size = chip_.size();
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

void ChipLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QSizeF size = chip_.size();
    chip_.paint(painter, QPointF(0, (height() - size.height()) / 2));
}

} // namespace ui

#include "look/Ink.h"

namespace ui {

QColor Ink::mix(const QColor& c, const QColor& other, double t) {
    const QColor a = c.toRgb();
    const QColor b = other.toRgb();
    auto blend = [t](double x, double y) { return x + t * (y - x); };
    return QColor::fromRgbF(static_cast<float>(blend(a.redF(), b.redF())),
                            static_cast<float>(blend(a.greenF(), b.greenF())),
                            static_cast<float>(blend(a.blueF(), b.blueF())), 1.0F);
}

} // namespace ui

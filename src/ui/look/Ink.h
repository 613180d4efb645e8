#pragma once

#include <QColor>

namespace ui {

// The fixed palette every view draws with. All colours are opaque sRGB.
struct Ink {
    static QColor ink() { return {18, 18, 20}; }
    static QColor ink2() { return {61, 61, 68}; }
    static QColor ink3() { return {102, 102, 109}; }
    static QColor ink4() { return {160, 160, 166}; }
    static QColor orange() { return {255, 90, 20}; }
    static QColor orangeDeep() { return {226, 65, 10}; }
    static QColor yellow() { return {255, 210, 63}; }
    static QColor blue() { return {31, 122, 224}; }
    static QColor sky() { return {191, 224, 255}; }
    static QColor mint() { return {201, 239, 169}; }
    static QColor peach() { return {255, 225, 191}; }
    static QColor lilac() { return {224, 212, 255}; }
    static QColor pink() { return {255, 179, 167}; }
    static QColor paper() { return {255, 253, 248}; }

    // c + t × (other − c) per sRGB component, always opaque.
    static QColor mix(const QColor& c, const QColor& other, double t);
};

} // namespace ui

#pragma once

#include <QImage>
#include <QRectF>

#include <cstdint>

class QPainter;

namespace ui {

// The paper background: a warm off-white with a faint, always identical grain.
class Paper {
public:
    // 256 × 256 transparent image with the grain dots, drawn once per process.
    static QImage grain();
    // Paper colour with the grain tiled over it.
    static void fill(QPainter& painter, const QRectF& rect);

    // Draws a fresh grain image at a device pixel ratio (grain() caches it at ratio 1).
    static QImage drawGrain(qreal devicePixelRatio = 1);

    // The grain's random source: a 64-bit linear congruential generator.
    class Random {
    public:
        static constexpr std::uint64_t initialState = 0x5EED;
        // Advances the state and returns a value in [0, 1].
        double next();
        std::uint64_t state() const { return state_; }

    private:
        std::uint64_t state_ = initialState;
    };

    static constexpr int grainSize = 256;
    static constexpr int grainDots = 1638;
};

} // namespace ui

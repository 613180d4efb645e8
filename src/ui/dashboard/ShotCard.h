#pragma once

#include "files/RenameRecord.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

namespace ui {

// One renamed screenshot drawn as a card: big thumbnail, new name over the old one, when and
// where. Pure drawing and geometry, so the grid, tests and benchmarks share it.
class ShotCard {
public:
    enum class Action { rename, reveal, undo, nameAgain };
    struct Button {
        QString icon;
        QString label;
        Action action;
    };

    // The card's box seed: stable for one record id for the life of the process.
    static double seed(const std::string& id);
    // The file the card stands for and the name shown: the present file's stem.
    static QString presentPath(const engine::RenameRecord& record);
    static QString shownStem(const engine::RenameRecord& record);
    static QString secondLine(const engine::RenameRecord& record);
    static QString dateText(const engine::RenameRecord& record);
    static std::vector<Button> hoverButtons(const engine::RenameRecord& record);

    // Height of a card of any width (the box, without the shadow room below it).
    static qreal boxHeight();
    // The full cell height: box plus the 3 points left for the shadow.
    static qreal cellHeight() { return boxHeight() + 3; }
    static QRectF boxRect(const QRectF& cell);
    static QRectF thumbnailRect(const QRectF& cell);
    // Hover buttons' discs, left to right, in cell coordinates.
    static std::vector<QRectF> buttonRects(const QRectF& cell, std::size_t count);

    // `hover` runs from 0 (at rest) to 1 (lifted and tilted); `image` may be null. A record
    // found by the text in its image shows `textLine` in place of its old name.
    static void paint(QPainter& painter, const QRectF& cell, const engine::RenameRecord& record,
                      const QString& query, qreal hover, const QImage& image,
                      const QString& textLine = {});
    static QString quotedTextLine(const QString& textLine);

    static constexpr qreal thumbnailHeight = 132;
    static constexpr qreal padding = 10;
    static constexpr qreal spacing = 9;
    static constexpr qreal tiltDegrees = -0.6;
    static constexpr int thumbnailPixels = 520;
};

} // namespace ui

#pragma once

#include "files/RenameRecord.h"
#include "panel/RecordPresentation.h"

#include <QImage>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

class QLocale;
class QPainter;

namespace ui {

// One renamed screenshot drawn as a card: big thumbnail, new name over the old one, when and
// where. Pure drawing and geometry, so the grid, tests and benchmarks share it.
class ShotCard {
public:
    // The card's box seed: 0 to 88, stable for one record id for the life of the process.
    static double seed(const std::string& id);
    static QString dateText(const engine::RenameRecord& record);
    // Day and abbreviated month in the locale's order, then hours and minutes.
    static QString dateFormat(const QLocale& locale);

    // Height of a card of any width (the box, without the shadow room below it).
    static qreal boxHeight();
    // The full cell height: box plus the 3 points left for the shadow.
    static qreal cellHeight() { return boxHeight() + 3; }
    static QRectF boxRect(const QRectF& cell);
    static QRectF thumbnailRect(const QRectF& cell);
    // The mark of the engine that named the file, at the start of the meta line.
    static QRectF sourceMarkRect(const QRectF& cell);
    // Hover buttons' discs, left to right, in cell coordinates.
    static std::vector<QRectF> buttonRects(const QRectF& cell, std::size_t count);

    // `hover` runs from 0 (at rest) to 1 (lifted and tilted); `image` may be null. A record
    // found by the text in its image shows `textLine` in place of its old name.
    static void paint(QPainter& painter, const QRectF& cell, const engine::RenameRecord& record,
                      const QString& query, qreal hover, const QImage& image,
                      const QString& textLine = {});
    // The card in two layers: what does not depend on the query (box, image, chip, meta line),
    // and the names or the matched text line, marked where they hold the query.
    // `withTextLine`: the texts show a line of the image's text in place of the old name.
    static void paintBase(QPainter& painter, const QRectF& cell, const engine::RenameRecord& record,
                          const QImage& image, qreal hover, bool withTextLine);
    static void paintTexts(QPainter& painter, const QRectF& cell,
                           const engine::RenameRecord& record, const QString& query,
                           const QString& textLine = {});
    static QString quotedTextLine(const QString& textLine);

    static constexpr qreal thumbnailHeight = 132;
    static constexpr qreal padding = 10;
    static constexpr qreal spacing = 9;
    static constexpr qreal tiltDegrees = -0.6;
    static constexpr int thumbnailPixels = 520;
};

} // namespace ui

#include "dashboard/TextDrawing.h"

#include "look/BidiText.h"
#include "look/Ink.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace ui {

namespace {

QList<QTextLayout::FormatRange> markFormat(std::optional<std::pair<int, int>> marked, int offset,
                                           int length) {
    QList<QTextLayout::FormatRange> formats;
    if (!marked) {
        return formats;
    }
    const int start = std::max(marked->first - offset, 0);
    const int end = std::min(marked->second - offset, length);
    if (start < end) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = end - start;
        range.format.setBackground(Ink::yellow());
        range.format.setForeground(Ink::ink());
        formats.append(range);
    }
    return formats;
}

qreal drawLine(QPainter& painter, const QString& text, const QFont& font, QPointF origin,
               QList<QTextLayout::FormatRange> formats) {
    QTextLayout layout(text, font, painter.device());
    layout.setFormats(formats);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    layout.draw(&painter, origin);
    return line.naturalTextWidth();
}

} // namespace

qreal TextDrawing::paint(QPainter& painter, const QRectF& rect, const QString& given,
                         const QFont& font, const QColor& color,
                         std::optional<std::pair<int, int>> marked, int maxLines) {
    std::vector<int> positions;
    const QString text = BidiText::isolated(given, positions);
    if (marked && text.size() != given.size()) {
        const auto at = [&](int i) {
            return positions[static_cast<std::size_t>(std::clamp<int>(i, 0, given.size()))];
        };
        marked = std::make_pair(at(marked->first), at(marked->second));
    }
    painter.save();
    painter.setPen(color);
    QTextOption option;
    option.setWrapMode(maxLines > 1 ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                    : QTextOption::NoWrap);
    QTextLayout layout(text, font, painter.device());
    layout.setTextOption(option);
    layout.beginLayout();
    QList<QTextLine> lines;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) {
            break;
        }
        line.setLineWidth(rect.width());
        lines.append(line);
        if (lines.size() > maxLines) {
            break;
        }
    }
    layout.endLayout();

    const QFontMetricsF metrics(font);
    qreal widest = 0;
    qreal y = rect.top();
    for (int i = 0; i < std::min<int>(maxLines, static_cast<int>(lines.size())); ++i) {
        const QTextLine& line = lines[i];
        const bool last = i == maxLines - 1;
        const bool cut =
            last && (lines.size() > maxLines || line.naturalTextWidth() > rect.width());
        QString piece =
            last ? text.mid(line.textStart()) : text.mid(line.textStart(), line.textLength());
        if (cut) {
            piece = metrics.elidedText(piece, Qt::ElideRight, rect.width());
        }
        const qreal width =
            drawLine(painter, piece, font, QPointF(rect.left(), y),
                     markFormat(marked, line.textStart(), static_cast<int>(piece.size())));
        widest = std::max(widest, std::min(width, rect.width()));
        y += metrics.height();
    }
    painter.restore();
    return widest;
}

} // namespace ui

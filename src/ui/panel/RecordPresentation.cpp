#include "panel/RecordPresentation.h"

#include "AppModel.h"
#include "look/Icons.h"
#include "look/Ink.h"
#include "rules/FileRules.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

#include <cstdint>

namespace ui {

namespace {

using engine::RenameRecord;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

// `image` scaled to cover `pixels` and cut to its middle, kept per image and size so a
// repaint of the same tile does not scale again.
QPixmap covering(const QImage& image, const QSize& pixels) {
    const QString key = QStringLiteral("tile#%1#%2x%3")
                            .arg(image.cacheKey())
                            .arg(pixels.width())
                            .arg(pixels.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    const QImage scaled =
        image.scaled(pixels, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QRect middle((scaled.width() - pixels.width()) / 2,
                       (scaled.height() - pixels.height()) / 2, pixels.width(), pixels.height());
    pixmap = QPixmap::fromImage(scaled.copy(middle));
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

} // namespace

QString RecordPresentation::presentPath(const RenameRecord& record) {
    return q(record.presentPath().string());
}

QString RecordPresentation::stemOf(const std::string& fileName) {
    return q(engine::FileRules::stem(std::filesystem::path(fileName)));
}

QString RecordPresentation::shownStem(const RenameRecord& record) {
    return stemOf(record.undone ? record.originalName : record.currentName);
}

QString RecordPresentation::secondLine(const RenameRecord& record) {
    if (record.undone) {
        return QStringLiteral("Was \u201C") + stemOf(record.currentName) +
               QStringLiteral("\u201D \u00B7 hover to name it again");
    }
    return stemOf(record.originalName);
}

int RecordPresentation::seed(const std::string& id, int divisor) {
    // Read as a signed number, whose remainder keeps the sign; its magnitude is the seed.
    const auto hash = static_cast<std::int64_t>(std::hash<std::string>{}(id));
    const std::int64_t remainder = hash % divisor;
    return static_cast<int>(remainder < 0 ? -remainder : remainder);
}

QString RecordPresentation::sourceIcon(engine::Namer::Source source) {
    return source == engine::Namer::Source::heuristic ? QStringLiteral("text-align-left")
                                                      : QStringLiteral("sparkle-fill");
}

QString RecordPresentation::sourceTooltip(engine::Namer::Source source) {
    switch (source) {
    case engine::Namer::Source::vision:
        return QStringLiteral("Named by the local model looking at the image");
    case engine::Namer::Source::text:
        return QStringLiteral("Named by the local model from the text in the image");
    case engine::Namer::Source::heuristic:
        break;
    }
    return QStringLiteral("Named from the text in the image");
}

std::vector<RecordPresentation::Entry>
RecordPresentation::hoverActions(const RenameRecord& record) {
    const Entry reveal{QStringLiteral("magnifying-glass"), QStringLiteral("Show in Folder"),
                       Action::reveal};
    if (record.undone) {
        return {
            reveal,
            {QStringLiteral("arrow-u-up-right"), QStringLiteral("Name Again"), Action::nameAgain}};
    }
    return {{QStringLiteral("pencil-simple"), QStringLiteral("Rename"), Action::rename},
            reveal,
            {QStringLiteral("arrow-u-up-left"), QStringLiteral("Undo"), Action::undo}};
}

std::vector<std::optional<RecordPresentation::Entry>>
RecordPresentation::menuEntries(const RenameRecord& record, Place place) {
    const Entry open{{}, QStringLiteral("Open"), Action::open};
    const Entry reveal{{}, QStringLiteral("Show in Folder"), Action::reveal};
    const Entry rename{{}, QStringLiteral("Rename\u2026"), Action::rename};
    const Entry undo{{}, QStringLiteral("Undo Rename"), Action::undo};
    if (place == Place::row) {
        return {rename, reveal, std::nullopt, undo};
    }
    if (record.undone) {
        return {open, reveal, std::nullopt,
                Entry{{}, QStringLiteral("Name Again"), Action::nameAgain}};
    }
    return {open, reveal, rename, std::nullopt, undo};
}

void RecordPresentation::fillMenu(QMenu& menu, const RenameRecord& record, Place place,
                                  const std::function<void(Action)>& run) {
    for (const auto& entry : menuEntries(record, place)) {
        if (!entry) {
            menu.addSeparator();
            continue;
        }
        menu.addAction(entry->label, &menu, [run, action = entry->action] { run(action); });
    }
}

bool RecordPresentation::perform(app::AppModel& model, const std::string& id, Action action) {
    const auto record = model.record(id);
    switch (action) {
    case Action::reveal:
        if (record) {
            model.reveal(*record);
        }
        return true;
    case Action::undo:
        if (record) {
            model.undo(*record);
        }
        return true;
    case Action::nameAgain:
        if (record) {
            model.nameAgain(*record);
        }
        return true;
    case Action::open:
    case Action::rename:
        break;
    }
    return false;
}

QLineF RecordPresentation::strikeLine(const QFontMetricsF& metrics, const QPointF& origin,
                                      qreal width) {
    const qreal y = origin.y() + metrics.ascent() - metrics.strikeOutPos();
    return {origin.x(), y, origin.x() + width, y};
}

QColor RecordPresentation::strikeColor() {
    QColor strike = Ink::orange();
    strike.setAlphaF(0.7F);
    return strike;
}

void RecordPresentation::paintTile(QPainter& painter, const QRectF& frame, const QImage& image,
                                   const TileLook& look) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath tile;
    tile.addRoundedRect(frame, look.radius, look.radius);
    painter.fillPath(tile, Ink::sky());

    painter.save();
    painter.setClipPath(tile, Qt::IntersectClip);
    if (!image.isNull()) {
        const qreal dpr = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
        const QSize pixels(std::max(1, qRound(frame.width() * dpr)),
                           std::max(1, qRound(frame.height() * dpr)));
        painter.drawPixmap(frame, covering(image, pixels), QRectF(QPointF(0, 0), pixels));
    } else {
        const QSizeF size = look.placeholderSize;
        const QRectF symbol(frame.center() - QPointF(size.width() / 2, size.height() / 2), size);
        Icons::paint(painter, symbol, QStringLiteral("image"), look.placeholder);
    }
    painter.restore();

    // Stroked inside the border, so the outline never leaves the frame.
    const qreal inset = look.lineWidth / 2;
    QPainterPath border;
    border.addRoundedRect(frame.adjusted(inset, inset, -inset, -inset), look.radius - inset,
                          look.radius - inset);
    painter.setPen(QPen(Ink::ink(), look.lineWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(border);
    painter.restore();
}

} // namespace ui

#pragma once

#include "files/RenameRecord.h"
#include "naming/Namer.h"

#include <QColor>
#include <QImage>
#include <QLineF>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QFontMetricsF;
class QMenu;
class QPainter;
class QRectF;

namespace app {
class AppModel;
}

namespace ui {

// How one record shows, alike in the panel's rows and the dashboard's cards: its texts, the
// outline seed, the source mark, the actions it offers, the struck-through old name and the
// thumbnail tile. Views keep only their own geometry and state.
class RecordPresentation {
public:
    enum class Action { open, rename, reveal, undo, nameAgain };
    struct Entry {
        QString icon;
        QString label;
        Action action;
    };
    // Where the record is shown: the card menu also opens the file.
    enum class Place { row, card };

    // The file the record stands for now: its old name while undone.
    static QString presentPath(const engine::RenameRecord& record);
    static QString stemOf(const std::string& fileName);
    // The present file's stem, as the name line shows it.
    static QString shownStem(const engine::RenameRecord& record);
    // The struck-through old name, or for an undone record the name it had.
    static QString secondLine(const engine::RenameRecord& record);

    // |hash(id) mod divisor|, stable for an id while the program runs.
    static int seed(const std::string& id, int divisor);

    static QString sourceIcon(engine::Namer::Source source);
    static QString sourceTooltip(engine::Namer::Source source);

    static std::vector<Entry> hoverActions(const engine::RenameRecord& record);
    // The context menu's entries in order; an empty optional is a separator.
    static std::vector<std::optional<Entry>> menuEntries(const engine::RenameRecord& record,
                                                         Place place);
    // Fills `menu`; choosing an entry calls `run` with its action.
    static void fillMenu(QMenu& menu, const engine::RenameRecord& record, Place place,
                         const std::function<void(Action)>& run);

    // Runs a model action on the record that has `id` at this moment, if there still is one.
    // False for the actions a view carries out itself (open, rename).
    static bool perform(app::AppModel& model, const std::string& id, Action action);

    // The strike through a line of text drawn at `origin` (its top left) `width` wide.
    static QLineF strikeLine(const QFontMetricsF& metrics, const QPointF& origin, qreal width);
    static QColor strikeColor();

    struct TileLook {
        qreal radius;
        qreal lineWidth;
        QColor placeholder;
        QSizeF placeholderSize;
    };
    // The thumbnail tile: sky ground, the image filling the frame (cut to fit) or the picture
    // placeholder, rounded and outlined inside its border. `image` may be null.
    static void paintTile(QPainter& painter, const QRectF& frame, const QImage& image,
                          const TileLook& look);
};

} // namespace ui

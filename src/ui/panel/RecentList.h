#pragma once

#include "files/RenameRecord.h"

#include <QWidget>
#include <vector>

class QScrollArea;

namespace app {
class AppModel;
}

namespace ui {

class BoxedSection;
class LazyRecordColumn;
class RecentHeader;

// "Recently named": the count of active renames and the newest 30 of them as rows in a
// scroll view, or a note on how it works while there are none.
class RecentList : public QWidget {
    Q_OBJECT

public:
    static constexpr int shownLimit = 30;
    static constexpr int heightPerRow = 60;
    static constexpr int maxListHeight = 290;

    explicit RecentList(app::AppModel& model, QWidget* parent = nullptr);

    // Reads the model's active records again.
    void refresh();

    // The chip's text, empty while no entry is shown.
    QString countText() const;
    int shownCount() const { return shown_; }
    // Zero while the note shows.
    int listHeight() const;
    bool noteShown() const;
    LazyRecordColumn* column() const { return column_; }
    QScrollArea* scrollArea() const { return scroll_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitColumn();
    void buildVisibleRows();

    app::AppModel& model_;
    RecentHeader* header_;
    QScrollArea* scroll_;
    LazyRecordColumn* column_;
    BoxedSection* note_;
    int shown_ = 0;
};

} // namespace ui

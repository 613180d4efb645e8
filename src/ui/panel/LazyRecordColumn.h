#pragma once

#include "access/ItemList.h"

#include "files/RenameRecord.h"

#include <QHash>
#include <QWidget>
#include <vector>

namespace app {
class AppModel;
}

namespace ui {

class RecordRow;

// The column of recent renames inside its scroll view. Its height comes from the record
// count alone; a row widget is made only when its slot first scrolls into view, and rows are
// kept by record id so a row survives the list changing around it.
class LazyRecordColumn : public QWidget, public ItemList {
    Q_OBJECT

public:
    static constexpr int spacing = 7;

    explicit LazyRecordColumn(app::AppModel& model, QWidget* parent = nullptr);

    void setRecords(std::vector<engine::RenameRecord> records);
    // Makes the rows whose slots meet `visible` (in this widget's coordinates).
    void buildRows(const QRect& visible);

    int rowHeight() const { return rowHeight_; }
    int builtRowCount() const { return static_cast<int>(rows_.size()); }
    QSize sizeHint() const override;

    // Every record is an item, built into a row or not.
    int accessibleItemCount() const override { return static_cast<int>(records_.size()); }
    QString accessibleItemName(int index) const override;
    QString accessibleItemDescription(int index) const override;
    QRect accessibleItemRect(int index) const override;
    bool accessibleItemSelected(int) const override { return false; }
    int accessibleCurrentItem() const override { return -1; }
    void activateAccessibleItem(int index) override;
    bool childWidgetsAreItems() const override { return true; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int effectiveRowHeight() const;
    int slotTop(int index) const { return index * (effectiveRowHeight() + spacing); }
    int columnHeight() const;
    void placeRows();

    app::AppModel& model_;
    std::vector<engine::RenameRecord> records_;
    QHash<QString, RecordRow*> rows_;
    int rowHeight_ = 0;
    QRect lastVisible_;
};

} // namespace ui

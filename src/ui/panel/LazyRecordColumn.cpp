#include "panel/LazyRecordColumn.h"

#include "AppModel.h"
#include "access/Accessibility.h"
#include "access/RecordDescription.h"

#include "panel/RecordRow.h"

#include <QResizeEvent>

namespace ui {

namespace {

// A row's height until the first row tells its own: the 36 px thumbnail with the row's padding.
constexpr int fallbackRowHeight = 51;

QString keyOf(const engine::RenameRecord& record) {
    return QString::fromStdString(record.id);
}

} // namespace

LazyRecordColumn::LazyRecordColumn(app::AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
    setAttribute(Qt::WA_NoSystemBackground);
    // Installed before the name is set: naming makes Qt describe the widget at once.
    Accessibility::install();
    setAccessibleName(QStringLiteral("Recently named"));
}

QString LazyRecordColumn::accessibleItemName(int index) const {
    return RecordDescription::name(records_.at(static_cast<std::size_t>(index)));
}

QString LazyRecordColumn::accessibleItemDescription(int index) const {
    return RecordDescription::details(records_.at(static_cast<std::size_t>(index)));
}

QRect LazyRecordColumn::accessibleItemRect(int index) const {
    return {0, slotTop(index), width(), effectiveRowHeight()};
}

void LazyRecordColumn::activateAccessibleItem(int index) {
    model_.reveal(records_.at(static_cast<std::size_t>(index)));
}

void LazyRecordColumn::setRecords(std::vector<engine::RenameRecord> records) {
    records_ = std::move(records);
    QHash<QString, RecordRow*> kept;
    for (const auto& record : records_) {
        const QString key = keyOf(record);
        if (RecordRow* row = rows_.take(key)) {
            row->setRecord(record);
            kept.insert(key, row);
        }
    }
    for (RecordRow* gone : std::as_const(rows_)) {
        gone->deleteLater();
        gone->hide();
    }
    rows_ = std::move(kept);
    placeRows();
    resize(width(), columnHeight());
    updateGeometry();
    buildRows(lastVisible_);
}

void LazyRecordColumn::buildRows(const QRect& visible) {
    lastVisible_ = visible;
    if (records_.empty() || visible.isEmpty()) {
        return;
    }
    const int step = effectiveRowHeight() + spacing;
    const int first = std::max(0, visible.top() / step);
    const int last = std::min(static_cast<int>(records_.size()) - 1, visible.bottom() / step);
    bool learnedHeight = false;
    for (int index = first; index <= last; ++index) {
        const auto& record = records_[static_cast<std::size_t>(index)];
        if (rows_.contains(keyOf(record))) {
            continue;
        }
        auto* row = new RecordRow(model_, record, this);
        rows_.insert(keyOf(record), row);
        if (rowHeight_ == 0) {
            rowHeight_ = std::max(1, row->sizeHint().height());
            learnedHeight = rowHeight_ != fallbackRowHeight;
        }
        row->setGeometry(0, slotTop(index), width(), rowHeight_);
        row->show();
    }
    if (learnedHeight) {
        // Slots moved: place what exists and fill any slot that came into view.
        placeRows();
        resize(width(), columnHeight());
        updateGeometry();
        buildRows(visible);
    }
}

QSize LazyRecordColumn::sizeHint() const {
    return {width(), columnHeight()};
}

void LazyRecordColumn::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (event->oldSize().width() != event->size().width()) {
        placeRows();
    }
}

int LazyRecordColumn::columnHeight() const {
    const int count = static_cast<int>(records_.size());
    if (count == 0) {
        return 0;
    }
    return count * effectiveRowHeight() + (count - 1) * spacing;
}

int LazyRecordColumn::effectiveRowHeight() const {
    return rowHeight_ > 0 ? rowHeight_ : fallbackRowHeight;
}

void LazyRecordColumn::placeRows() {
    const int height = effectiveRowHeight();
    for (std::size_t index = 0; index < records_.size(); ++index) {
        if (RecordRow* row = rows_.value(keyOf(records_[index]))) {
            row->setGeometry(0, slotTop(static_cast<int>(index)), width(), height);
        }
    }
}

} // namespace ui

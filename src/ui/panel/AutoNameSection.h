#pragma once

#include "panel/BoxedSection.h"

namespace app {
class AppModel;
}

namespace ui {

class ToggleRow;

// The switch for naming new screenshots automatically, with the folder it watches.
class AutoNameSection : public BoxedSection {
    Q_OBJECT

public:
    explicit AutoNameSection(app::AppModel& model, QWidget* parent = nullptr);

    void refresh();
    ToggleRow* toggleRow() const { return row_; }

private:
    app::AppModel& model_;
    ToggleRow* row_;
};

} // namespace ui

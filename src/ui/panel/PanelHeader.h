#pragma once

#include <QWidget>

namespace app {
class AppModel;
}

namespace ui {

class EngineBadge;
class NamingBadge;

// Logo, name, engine badge and, while files wait, the naming badge.
class PanelHeader : public QWidget {
    Q_OBJECT

public:
    explicit PanelHeader(app::AppModel& model, QWidget* parent = nullptr);

    void refresh();
    EngineBadge* engineBadge() const { return engine_; }
    NamingBadge* namingBadge() const { return naming_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    app::AppModel& model_;
    EngineBadge* engine_;
    NamingBadge* naming_;
};

} // namespace ui

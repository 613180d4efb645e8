#pragma once

#include <QWidget>

namespace ui {

class CrayonButton;
class TextButton;

// Settings (or Done while the settings show), Dashboard and Quit.
class PanelFooter : public QWidget {
    Q_OBJECT

public:
    explicit PanelFooter(QWidget* parent = nullptr);

    void setSettingsShown(bool shown);
    CrayonButton* settingsButton() const { return settings_; }
    CrayonButton* dashboardButton() const { return dashboard_; }
    TextButton* quitButton() const { return quit_; }

private:
    CrayonButton* settings_;
    CrayonButton* dashboard_;
    TextButton* quit_;
};

} // namespace ui

#pragma once

#include <QWidget>

namespace app {
class AppModel;
}

namespace ui {

// Stands in for the panel view until it exists, with the same interface: a Dashboard and a
// Quit button and the current status line.
class PlaceholderPanel : public QWidget {
    Q_OBJECT

public:
    explicit PlaceholderPanel(app::AppModel& model, bool showSettings = false,
                              QWidget* parent = nullptr);

    QSize sizeHint() const override;
    void setShowSettings(bool show);
    bool showSettings() const { return showSettings_; }

signals:
    void openDashboardRequested();
    void quitRequested();
    void dismissRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool showSettings_;
};

} // namespace ui

#pragma once

#include <QPointer>
#include <QWidget>

namespace app {
class Updater;
}

namespace ui {

class CrayonButton;

// The logo, the name with the version and the update button.
class AboutRow : public QWidget {
    Q_OBJECT

public:
    explicit AboutRow(QWidget* parent = nullptr);

    // Without an updater (or one that cannot check) the button stays disabled.
    void setUpdater(app::Updater* updater);
    CrayonButton* checkButton() const { return check_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();

    QPointer<app::Updater> updater_;
    CrayonButton* check_;
};

} // namespace ui

#pragma once

#include <QString>
#include <QTimer>
#include <QWidget>

#include <chrono>

class QGraphicsOpacityEffect;
class QLabel;
class QVariantAnimation;
class QToolButton;

namespace app {
class AppModel;
}

namespace ui {

class CrayonButton;

// The model's latest report, floating at the bottom of the dashboard. A report goes away by
// itself after four seconds unless an undo can still be named again.
class DashboardToast : public QWidget {
    Q_OBJECT

public:
    explicit DashboardToast(app::AppModel& model, QWidget* parent = nullptr,
                            std::chrono::milliseconds timeout = std::chrono::seconds(4));

    // Places the toast at the bottom centre of `area` (the parent's rectangle).
    void place(const QRect& area);
    QString shownText() const { return shown_; }
    CrayonButton* nameAgainButton() const { return nameAgain_; }
    QToolButton* closeButton() const { return close_; }
    bool timerRunning() const { return timer_.isActive(); }
    // Milliseconds until the report goes by itself; -1 while nothing counts down.
    int remainingTime() const { return timer_.remainingTime(); }
    // Cuts the wait short (the dashboard is closing): the report goes now unless an undo waits.
    void expireNow();

    static constexpr int maxWidth = 620;
    static constexpr int bottomGap = 22;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void sync();
    void expire();
    // Slides in from the bottom edge while fading in, and back out.
    void animateTo(qreal shown);

    app::AppModel& model_;
    QLabel* text_;
    CrayonButton* nameAgain_;
    QToolButton* close_;
    QTimer timer_;
    QString shown_;
    QRect area_;
    QGraphicsOpacityEffect* fade_;
    QVariantAnimation* slide_;
    qreal presence_ = 0; // 0 off screen, 1 in place
};

} // namespace ui

#pragma once

#include "dashboard/DashboardModel.h"

#include <QColor>
#include <QWidget>

#include <vector>

namespace ui {

// The four statistics over the cards, each a hatched crayon box.
class StatsRow : public QWidget {
    Q_OBJECT

public:
    explicit StatsRow(QWidget* parent = nullptr);

    void setStatistics(std::vector<app::DashboardModel::Statistic> statistics);
    const std::vector<app::DashboardModel::Statistic>& statistics() const { return statistics_; }
    // The boxes, left to right, in widget coordinates.
    std::vector<QRectF> boxes() const;

    // The label's font: its usual size, or smaller until it fits `width`.
    static QFont fittingLabelFont(const QString& label, qreal width);
    static void paintStat(QPainter& painter, const QRectF& box,
                          const app::DashboardModel::Statistic& statistic, const QColor& color,
                          double seed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<app::DashboardModel::Statistic> statistics_;
};

} // namespace ui

#pragma once

#include "dashboard/DashScope.h"

#include <QWidget>

namespace ui {

// Stands in for the cards when none match: says whether nothing was named, undone or found.
class EmptyState : public QWidget {
    Q_OBJECT

public:
    explicit EmptyState(QWidget* parent = nullptr);

    void setState(const QString& query, const app::DashScope& scope);
    QString headline() const;
    QString body() const;
    static void paintBox(QPainter& painter, const QRectF& area, const QString& query,
                         const app::DashScope& scope);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString query_;
    app::DashScope scope_;
};

} // namespace ui

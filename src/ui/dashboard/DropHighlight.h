#pragma once

#include <QWidget>

namespace ui {

// Laid over the dashboard while files are dragged over it, so it is plain that it takes them.
class DropHighlight : public QWidget {
    Q_OBJECT

public:
    explicit DropHighlight(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ui

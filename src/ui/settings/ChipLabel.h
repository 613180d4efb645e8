#pragma once

#include "look/Chip.h"

#include <QWidget>

namespace ui {

// A chip standing in a layout, such as the mark of a model that looks at images.
class ChipLabel : public QWidget {
    Q_OBJECT

public:
    explicit ChipLabel(Chip chip, QWidget* parent = nullptr);

    const Chip& chip() const { return chip_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Chip chip_;
};

} // namespace ui

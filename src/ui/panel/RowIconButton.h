#pragma once

#include <QAbstractButton>

namespace ui {

// A borderless icon button of a row: the whole 22 × 22 square is the hit area, the icon is
// drawn small in its middle.
class RowIconButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int side = 22;

    RowIconButton(const QString& iconName, const QString& label, QWidget* parent = nullptr);

    const QString& iconName() const { return iconName_; }
    QSize sizeHint() const override { return {side, side}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString iconName_;
};

} // namespace ui

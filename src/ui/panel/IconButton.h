#pragma once

#include <QAbstractButton>
#include <QColor>

namespace ui {

// A bare icon that acts as a button: no background, the whole frame is the hit area, the
// pointing hand over it.
class IconButton : public QAbstractButton {
    Q_OBJECT

public:
    IconButton(QString iconName, const QColor& color, qreal iconSize, QSize frame,
               QWidget* parent = nullptr);

    const QString& iconName() const { return iconName_; }
    QSize sizeHint() const override { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString iconName_;
    QColor color_;
    qreal iconSize_;
    QSize frame_;
};

} // namespace ui

#pragma once

#include <QWidget>

namespace ui {

// How far a model download has come, as a crayon bar filling from the left.
class PullBar : public QWidget {
    Q_OBJECT

public:
    explicit PullBar(QWidget* parent = nullptr);

    // 0 to 1; below 0 when the total is not known yet.
    qreal fraction() const { return fraction_; }
    void setFraction(qreal fraction);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qreal fraction_ = -1;
};

} // namespace ui

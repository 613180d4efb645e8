#pragma once

#include <QAbstractButton>

class QVariantAnimation;

namespace ui {

// A checkable label with a 40 × 23 crayon switch at its trailing end.
class CrayonToggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit CrayonToggle(const QString& text, QWidget* parent = nullptr);

    // Replaces the plain text label with any widget (for example a column of two QLabels) laid
    // out on the leading side. Clicks on it still toggle as long as it ignores mouse presses,
    // as QLabel does. The toggle takes ownership.
    void setLabelWidget(QWidget* label);
    QWidget* labelWidget() const { return label_; }

    // Where the knob is: 0 off, 1 on (overshoots slightly while it springs).
    qreal knobPosition() const { return knob_; }
    QRectF switchRect() const;
    QRectF knobRect() const;

    // Draws the switch into a 40 × 23 rectangle; `position` as knobPosition().
    static void paintSwitch(QPainter& painter, const QRectF& rect, qreal position);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static constexpr qreal switchWidth = 40;
    static constexpr qreal switchHeight = 23;
    static constexpr qreal knobInset = 3.5;
    // Room around the switch for the keyboard focus mark.
    static constexpr qreal focusRoom = 4;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void animateKnob(bool on);

    QWidget* label_ = nullptr;
    qreal knob_ = 0;
    QVariantAnimation* knobAnimation_;
};

} // namespace ui

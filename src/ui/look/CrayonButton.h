#pragma once

#include "look/CrayonBox.h"

#include <QAbstractButton>
#include <QMargins>

class QVariantAnimation;

namespace ui {

// A push button drawn in crayon. It lifts and tilts a little while hovered, shrinks while
// pressed and fades when disabled. The widget keeps a margin around its content for the outline,
// the shadow and the lift; only the content takes clicks.
class CrayonButton : public QAbstractButton {
    Q_OBJECT
public:
    enum class Kind { orange, dark, plain, yellow };

    CrayonButton(const QString& text, Kind kind, bool small, QWidget* parent = nullptr);

    Kind kind() const { return kind_; }
    bool isSmall() const { return small_; }
    void setKind(Kind kind);
    // A Phosphor icon before the label ("" for none).
    void setIconName(const QString& phosphorName);
    QString iconName() const { return iconName_; }

    bool isHovering() const { return hovering_; }
    // 0 at rest, 1 fully lifted; animates towards 1 only while hovering and enabled.
    qreal lift() const { return lift_; }
    // The transform applied to the content: lift, tilt and press scale about the centre.
    QTransform contentTransform() const;
    QRectF contentRect() const;

    QColor background() const;
    QColor labelColor() const;
    CrayonBox box() const;
    QFont labelFont() const;
    qreal opacity() const;

    // Paints a button body and label into `content`, as the widget does (for snapshots).
    void paintContent(QPainter& painter, const QRectF& content) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    static QMargins spillMargins();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setHovering(bool hovering);
    void animateLift();

    Kind kind_;
    bool small_;
    QString iconName_;
    bool hovering_ = false;
    qreal lift_ = 0;
    QVariantAnimation* liftAnimation_;
};

} // namespace ui

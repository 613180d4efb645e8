#pragma once

#include "look/CrayonBox.h"

#include <QWidget>

namespace ui {

// A section drawn on a crayon box. The box's outline and shadow spill up to 8 px beyond the
// section, which a widget cannot paint outside itself, so the nearest decoration host (the
// window, or a widget marked with markAsHost) paints every visible section's box behind
// the sections themselves.
class BoxedSection : public QWidget {
    Q_OBJECT

public:
    explicit BoxedSection(const CrayonBox& box, QWidget* parent = nullptr);

    const CrayonBox& box() const { return box_; }
    void setBox(const CrayonBox& box);
    // How far the box is drawn over the box of the other state, 0 to 1 (cross-fades).
    void setBlend(const CrayonBox& other, qreal otherOpacity);

    // The host whose paint event draws this section's box.
    QWidget* host() const;

    static void markAsHost(QWidget* widget);
    // Paints the boxes of the visible sections below `host` that it hosts.
    static void paintBoxes(QPainter& painter, QWidget* host);

protected:
    bool event(QEvent* event) override;

private:
    void repaintHost();

    CrayonBox box_;
    std::optional<CrayonBox> other_;
    qreal otherOpacity_ = 0;
};

} // namespace ui

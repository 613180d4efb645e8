#pragma once

#include <QMargins>
#include <QWidgetItem>

class QBoxLayout;

namespace ui {

// A layout item whose widget reaches beyond its slot by fixed margins. Crayon buttons keep a
// margin around their body for outline, shadow and lift; laid out through this item they are
// spaced and aligned by their bodies, as the design measures them.
class SpillItem : public QWidgetItem {
public:
    SpillItem(QWidget* widget, QMargins spill);

    QSize sizeHint() const override;
    QSize minimumSize() const override;
    QSize maximumSize() const override;
    void setGeometry(const QRect& rect) override;
    QRect geometry() const override;

    // Adds a crayon button (already a child of the layout's widget) to `layout`.
    static void addButton(QBoxLayout* layout, QWidget* button,
                          Qt::Alignment alignment = Qt::Alignment());

private:
    QSize shrink(QSize size) const;

    QMargins spill_;
};

} // namespace ui

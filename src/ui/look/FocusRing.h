#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace ui {

// The keyboard focus mark: a second wobbly outline in orange around a control. It shows only
// while focus came from the keyboard (Tab, a shortcut, or a window opened by key), never after
// a click, the way browsers treat :focus-visible.
class FocusRing {
public:
    // Starts watching `widget`'s focus; its parent repaints too, for controls whose mark is drawn
    // by a container (the search field inside its box).
    static void attach(QWidget* widget);
    // Whether `widget` has focus and that focus should be marked.
    static bool isShown(const QWidget* widget);
    // Marks the focus of a widget that the keyboard is now moving within (arrows in a list).
    static void showFor(QWidget* widget);

    // Draws the mark `gap` outside `rect`, following its corner radius.
    static void paint(QPainter& painter, const QRectF& rect, qreal radius, double seed,
                      qreal gap = 3);

    static constexpr qreal lineWidth = 2.2;
};

} // namespace ui

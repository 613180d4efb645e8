#pragma once

class QString;
class QWidget;

namespace ui {

class ItemList;

// Screen reader support for what Qt cannot describe by itself.
class Accessibility {
public:
    // Registers the interfaces of the painted lists and the custom controls (once).
    static void install();
    // Tells screen readers that the keyboard moved to another item of a painted list.
    static void itemFocused(QWidget* list, int index);
    // A message that should be read out now (the banner, a toast).
    static void announce(QWidget* widget, const QString& text);
};

} // namespace ui

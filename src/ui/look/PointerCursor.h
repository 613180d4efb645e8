#pragma once

#include <QObject>

class QWidget;

namespace ui {

// Gives a widget the pointing-hand cursor while it is enabled and the normal one while disabled.
class PointerCursor : public QObject {
    Q_OBJECT
public:
    // The helper is owned by the widget.
    static void attach(QWidget* widget);
    static bool isPointing(const QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PointerCursor(QWidget* widget);
    static void update(QWidget* widget);
};

} // namespace ui

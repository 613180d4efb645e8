#pragma once

#include <QProcessEnvironment>
#include <string>

namespace ui {

// Qt aborts when it cannot open a display; the program says what to do instead.
class DisplayCheck {
public:
    // A display server that answers (or a platform chosen explicitly), looked at before Qt
    // is asked to open one.
    static bool hasGraphicalSession(const QProcessEnvironment& environment);
    static std::string noDisplayLine(const QProcessEnvironment& environment);

    // The Wayland socket `WAYLAND_DISPLAY` names accepts a connection, and Qt can speak
    // Wayland (the platform plugin is installed).
    static bool waylandReachable(const QProcessEnvironment& environment);
    // The X server `DISPLAY` names: a local one must accept a connection; a remote one
    // (ssh forwarding) is taken on trust.
    static bool xReachable(const QProcessEnvironment& environment);
};

} // namespace ui

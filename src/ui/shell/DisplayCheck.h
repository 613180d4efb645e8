#pragma once

#include <QProcessEnvironment>
#include <string>

namespace ui {

// Qt aborts when it cannot open a display; the program says what to do instead.
class DisplayCheck {
public:
    // A display server to connect to, or a platform chosen explicitly.
    static bool hasGraphicalSession(const QProcessEnvironment& environment);
    static std::string noDisplayLine();
};

} // namespace ui

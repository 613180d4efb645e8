#include "shell/DisplayCheck.h"

namespace ui {

bool DisplayCheck::hasGraphicalSession(const QProcessEnvironment& environment) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!environment.value(QLatin1String(name)).isEmpty()) {
            return true;
        }
    }
    return false;
}

std::string DisplayCheck::noDisplayLine() {
    return "quillmark: no graphical session (DISPLAY and WAYLAND_DISPLAY are not set); "
           "run `quillmark --watch` to name screenshots without a window";
}

} // namespace ui

#pragma once

class QApplication;

namespace ui {

// SIGTERM and SIGINT, and the session ending, quit the event loop cleanly.
class QuitSignals {
public:
    static void install(QApplication& application);
};

} // namespace ui

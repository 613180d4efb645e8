#pragma once

namespace ui {

// Process-wide facts that decide whether a quit may stop to ask. Main thread only.
class QuitPolicy {
public:
    // The panel's Quit, Ctrl+Q in the panel, the tray menu's Quit.
    static void quitWithoutAsking();
    // Log-out, shut-down, SIGTERM, SIGINT: never ask then.
    static void systemIsQuitting();
    // False once either of the above happened; a window may then ask before quitting.
    static bool mayAsk();
    // For tests.
    static void reset();

private:
    static bool withoutAsking_;
    static bool systemQuitting_;
};

} // namespace ui

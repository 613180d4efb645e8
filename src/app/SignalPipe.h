#pragma once

#include <functional>

class QCoreApplication;

namespace app {

// SIGTERM and SIGINT reach the event loop: a signal handler may only write to a pipe, and the
// loop reads it and runs `onSignal` on the main thread.
class SignalPipe {
public:
    static void install(QCoreApplication& application, std::function<void()> onSignal);
};

} // namespace app

#pragma once

namespace app {

// `--watch`: the whole application without any window. One line per rename, one per new
// status message; stops cleanly on SIGINT or SIGTERM.
class WatchMode {
public:
    static int run(int argc, char** argv);
};

} // namespace app

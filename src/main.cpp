#include "Launcher.h"
#include "WatchMode.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const auto invocation = cli::Launcher::decide(std::vector<std::string>(argv, argv + argc));
    if (invocation.mode == cli::Invocation::Mode::watch) {
        return app::WatchMode::run(argc, argv);
    }
    return cli::Launcher::run(invocation);
}

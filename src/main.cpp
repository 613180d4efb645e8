#include "Launcher.h"
#include "LoginItem.h"
#include "WatchMode.h"
#include "shell/QuillmarkApp.h"

#include <QString>
#include <algorithm>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const auto invocation = cli::Launcher::decide(arguments);
    using Mode = cli::Invocation::Mode;
    switch (invocation.mode) {
    case Mode::watch:
        return app::WatchMode::run(argc, argv);
    case Mode::application:
        return ui::QuillmarkApp::run(argc, argv,
                                     std::ranges::find(arguments, app::LoginItem::launchArgument) !=
                                         arguments.end());
    case Mode::snapshot:
        return ui::QuillmarkApp::snapshot(argc, argv,
                                          QString::fromStdString(invocation.operands.front()));
    case Mode::bench:
        return ui::QuillmarkApp::bench(argc, argv);
    default:
        return cli::Launcher::run(invocation);
    }
}

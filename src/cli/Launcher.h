#pragma once

#include <string>
#include <vector>

namespace cli {

// What the command line asks for. Decided once, on the raw argument list.
struct Invocation {
    enum class Mode {
        suggest,
        tidy,
        list,
        models,
        find,
        bench,
        snapshot,
        watch,
        help,
        version,
        application
    };
    Mode mode = Mode::application;
    std::vector<std::string> operands;

    bool operator==(const Invocation&) const = default;
};

class Launcher {
public:
    // Element 0 is the program path. Exact, case-sensitive comparisons; the first mode that
    // applies wins.
    static Invocation decide(const std::vector<std::string>& arguments);
    static std::string usage();
    static std::string versionText();
    // Runs the modes that need only the engine; the application, `--watch`, `--snapshot` and
    // `--bench` need the layers above and run from the program's entry.
    static int run(const Invocation& invocation);
};

} // namespace cli

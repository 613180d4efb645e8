#include "Launcher.h"

#include "FindMode.h"
#include "ListMode.h"
#include "ModelsMode.h"
#include "NamingModes.h"
#include "model/ModelSettings.h"

#include <algorithm>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace cli {

namespace {

using Args = std::vector<std::string>;

std::optional<Args::const_iterator> find(const Args& args, const char* word) {
    auto it = std::find(args.begin(), args.end(), word);
    if (it == args.end()) {
        return std::nullopt;
    }
    return it;
}

// The mode word followed by exactly one operand; a trailing word is skipped.
std::optional<std::string> operandAfter(const Args& args, const char* word) {
    auto it = find(args, word);
    if (!it || std::next(*it) == args.end()) {
        return std::nullopt;
    }
    return *std::next(*it);
}

bool contains(const Args& args, const char* word) {
    return find(args, word).has_value();
}

} // namespace

Invocation Launcher::decide(const std::vector<std::string>& arguments) {
    using Mode = Invocation::Mode;
    if (auto it = find(arguments, "--suggest")) {
        return {Mode::suggest, Args(std::next(*it), arguments.end())};
    }
    if (auto folder = operandAfter(arguments, "--tidy")) {
        return {Mode::tidy, {*folder}};
    }
    if (auto folder = operandAfter(arguments, "--list")) {
        return {Mode::list, {*folder}};
    }
    if (contains(arguments, "--models")) {
        return {Mode::models, {}};
    }
    if (auto it = find(arguments, "--find")) {
        return {Mode::find, Args(std::next(*it), arguments.end())};
    }
    if (contains(arguments, "--bench")) {
        return {Mode::bench, {}};
    }
    if (auto folder = operandAfter(arguments, "--snapshot")) {
        return {Mode::snapshot, {*folder}};
    }
    if (contains(arguments, "--watch")) {
        return {Mode::watch, {}};
    }
    if (contains(arguments, "--help") || contains(arguments, "-h")) {
        return {Mode::help, {}};
    }
    if (contains(arguments, "--version")) {
        return {Mode::version, {}};
    }
    return {Mode::application, {}};
}

std::string Launcher::usage() {
    return "Usage: quillmark [MODE]\n"
           "Gives screenshots and other images with vague names short, specific names.\n"
           "\n"
           "Modes:\n"
           "  --list FOLDER       show the images of FOLDER that have vague names\n"
           "  --suggest FILE...   print the name each file would get, renaming nothing\n"
           "  --tidy FOLDER       rename the images of FOLDER that have vague names\n"
           "  --models            show the model servers on this computer and their models\n"
           "  --find WORDS...     list the renamed images whose text holds WORDS, newest first\n"
           "  --snapshot FOLDER   render the program's views to PNG files\n"
           "  --bench             measure naming and drawing times\n"
           "  --watch             name new screenshots without any window, printing each rename\n"
           "  --help, -h          show this text\n"
           "  --version           show the version\n"
           "\n"
           "Without a mode the tray program starts; started again, it opens its window.\n";
}

std::string Launcher::versionText() {
    return std::string("Quillmark ") + QUILLMARK_VERSION;
}

int Launcher::run(const Invocation& invocation) {
    switch (invocation.mode) {
    case Invocation::Mode::list:
        return ListMode::run(invocation.operands.front(), std::cout);
    case Invocation::Mode::suggest:
        return NamingModes::suggest(
            invocation.operands,
            engine::Namer(engine::ModelSettings::load(engine::Environment::process())), std::cout);
    case Invocation::Mode::tidy:
        return NamingModes::tidy(
            invocation.operands.front(),
            engine::Namer(engine::ModelSettings::load(engine::Environment::process())), std::cout);
    case Invocation::Mode::models:
        return ModelsMode::run(engine::ModelSettings::load(engine::Environment::process()),
                               engine::Environment::process(), std::cout);
    case Invocation::Mode::find:
        return FindMode::run(invocation.operands, FindMode::indexFile(), std::cout, std::cerr,
                             ::isatty(STDOUT_FILENO) != 0);
    case Invocation::Mode::version:
        std::cout << versionText() << '\n';
        return 0;
    case Invocation::Mode::bench:
    case Invocation::Mode::snapshot:
    case Invocation::Mode::watch:
        // These need the windows or the application model; the program's entry runs them.
        std::cerr << "quillmark: this mode does not run from the command-line layer\n";
        return 2;
    case Invocation::Mode::help:
    case Invocation::Mode::application:
        std::cout << usage();
        return 0;
    }
    return 0;
}

} // namespace cli

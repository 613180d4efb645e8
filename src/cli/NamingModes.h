#pragma once

#include "ReadAhead.h"
#include "naming/Namer.h"

#include <ostream>
#include <string>
#include <vector>

namespace cli {

// `--suggest FILE...` and `--tidy FOLDER`: the naming engine without any window. Files are
// named strictly one after another in the printed order; only reading runs ahead.
class NamingModes {
public:
    static constexpr std::size_t readWorkers = 2;
    static constexpr std::size_t readWindow = 2;

    static std::string engineLabel(const engine::Namer::Engine& engine);
    // Always 0: every file gets a line, unreadable ones "(no name)". Without `read`, files are
    // read by the text reader, only as far as the engine needs.
    static int suggest(const std::vector<std::string>& files, const engine::Namer& namer,
                       std::ostream& out, ReadAhead::Reader read = {});
    // 1 when the folder cannot be listed or a rename failed, else 0.
    static int tidy(const std::string& folder, const engine::Namer& namer, std::ostream& out);
};

} // namespace cli

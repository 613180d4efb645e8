#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace cli {

// `--list FOLDER`: the count of vague images and their names.
class ListMode {
public:
    // Returns the exit status: 0, or 1 when the folder cannot be read.
    static int run(const std::string& folderArgument, std::ostream& out);
};

} // namespace cli

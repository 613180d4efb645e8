#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace cli {

// `--find WORDS`: the records whose image text holds the words, newest first, one line each:
// the present path, a tab and the line of text that holds them.
class FindMode {
public:
    // Returns the exit status: 0, 1 when there is no index yet, 2 without words. `colour`
    // marks the path and the match with terminal colours.
    static int run(const std::vector<std::string>& words, const std::filesystem::path& indexFile,
                   std::ostream& out, std::ostream& err, bool colour);
    // The index beside the history in the user's data folder.
    static std::filesystem::path indexFile();
};

} // namespace cli

#include "ListMode.h"

#include "FileRules.h"

namespace cli {

std::filesystem::path ListMode::absoluteFolder(const std::string& argument) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(argument, error);
    if (error) {
        path = argument;
    }
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

int ListMode::run(const std::string& folderArgument, std::ostream& out) {
    const std::filesystem::path folder = absoluteFolder(folderArgument);
    const auto listing = engine::FileRules::listCandidates(folder, false);
    if (!listing.ok()) {
        out << "can't read " << folder.string() << ": " << listing.error.message() << '\n';
        return 1;
    }
    out << listing.files.size() << " to rename in " << folder.string() << '\n';
    for (const auto& file : listing.files) {
        out << "  " << file.filename().string() << '\n';
    }
    return 0;
}

} // namespace cli

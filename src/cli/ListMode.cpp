#include "ListMode.h"

#include "OperandPath.h"
#include "rules/FileRules.h"

namespace cli {

int ListMode::run(const std::string& folderArgument, std::ostream& out) {
    const std::filesystem::path folder = OperandPath::absolute(folderArgument);
    const auto listing = engine::FileRules::listCandidates(folder, false);
    if (!listing.ok()) {
        out << "can't read " << OperandPath::display(folder) << ": " << listing.error.message()
            << '\n';
        return 1;
    }
    out << listing.files.size() << " to rename in " << OperandPath::display(folder) << '\n';
    for (const auto& file : listing.files) {
        out << "  " << file.filename().string() << '\n';
    }
    return 0;
}

} // namespace cli

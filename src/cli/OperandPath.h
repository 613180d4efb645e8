#pragma once

#include <filesystem>
#include <string>

namespace cli {

// A command-line path operand, made absolute against the working folder.
class OperandPath {
public:
    // Absolute, without a trailing slash (the root stays "/"). "." and ".." stay as written:
    // after a symbolic link only the file system knows where ".." leads.
    static std::filesystem::path absolute(const std::string& argument);
    // The folder as the user should read it: its real path when it resolves, else as given.
    static std::string display(const std::filesystem::path& folder);
    // The last path component, as the user would name the file.
    static std::string lastComponent(const std::string& argument);
};

} // namespace cli

#pragma once

#include <filesystem>
#include <string>

namespace cli {

// A command-line path operand, made absolute against the working folder.
class OperandPath {
public:
    // Absolute, "." and ".." resolved, without a trailing slash (the root stays "/").
    static std::filesystem::path absolute(const std::string& argument);
    // The last path component, as the user would name the file.
    static std::string lastComponent(const std::string& argument);
};

} // namespace cli

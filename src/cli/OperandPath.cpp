#include "OperandPath.h"

namespace cli {

std::filesystem::path OperandPath::absolute(const std::string& argument) {
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(argument, error);
    std::string text = error ? argument : path.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

std::string OperandPath::display(const std::filesystem::path& folder) {
    std::error_code error;
    const auto real = std::filesystem::canonical(folder, error);
    return error ? folder.string() : real.string();
}

std::string OperandPath::lastComponent(const std::string& argument) {
    return absolute(argument).filename().string();
}

} // namespace cli

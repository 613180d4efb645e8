#include "panel/FolderName.h"

namespace ui {

QString FolderName::of(const std::filesystem::path& folder) {
    std::string text = folder.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    const std::string name = std::filesystem::path(text).filename().string();
    return QString::fromStdString(name.empty() ? text : name);
}

QString FolderName::of(const QString& folder) {
    return of(std::filesystem::path(folder.toStdString()));
}

} // namespace ui

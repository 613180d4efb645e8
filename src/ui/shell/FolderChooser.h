#pragma once

#include "AppServices.h"

#include <filesystem>
#include <optional>

namespace ui {

// The desktop's folder chooser, as the model asks for it.
class FolderChooser {
public:
    static std::optional<std::filesystem::path> choose(const app::FolderRequest& request);
};

} // namespace ui

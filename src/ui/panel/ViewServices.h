#pragma once

#include "AppServices.h"

#include <QFlags>
#include <Qt>
#include <filesystem>
#include <optional>

class QFileDialog;
class QString;

namespace ui {

// The model's seams that only the windows can serve: the folder chooser, the Alt key while
// dropping and undo inside a text field.
class ViewServices {
public:
    // Sets each of those seams that is still empty.
    static void fill(app::AppServices& services);

    static std::optional<std::filesystem::path> chooseFolder(const app::FolderRequest& request);
    // The modifiers of the drop being handled, else the keyboard's state now.
    static bool altHeld();
    // Puts the chooser's explanation into the dialog, not only into its title.
    static void showExplanation(QFileDialog& dialog, const QString& message);
    // Undoes typing when a text field has the focus.
    static bool passUndoToTextEditor();

    // While alive, altHeld() answers from the modifiers a drop event carried: during a drop
    // the platform's keyboard state may be stale or unknown.
    class DropModifiers {
    public:
        explicit DropModifiers(Qt::KeyboardModifiers modifiers);
        ~DropModifiers();
        DropModifiers(const DropModifiers&) = delete;
        DropModifiers& operator=(const DropModifiers&) = delete;

    private:
        std::optional<Qt::KeyboardModifiers> previous_;
    };
};

} // namespace ui

#include "shell/FolderChooser.h"

#include <QFileDialog>

namespace ui {

std::optional<std::filesystem::path> FolderChooser::choose(const app::FolderRequest& request) {
    QFileDialog dialog;
    dialog.setWindowTitle(request.message);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setLabelText(QFileDialog::Accept, request.buttonTitle);
    if (request.startFolder) {
        dialog.setDirectory(QString::fromStdString(request.startFolder->string()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
}

} // namespace ui

#include "panel/ViewServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace ui {

namespace {

std::optional<Qt::KeyboardModifiers>& dropModifiers() {
    static std::optional<Qt::KeyboardModifiers> modifiers;
    return modifiers;
}

} // namespace

void ViewServices::fill(app::AppServices& services) {
    if (!services.chooseFolder) {
        services.chooseFolder = &ViewServices::chooseFolder;
    }
    if (!services.altHeld) {
        services.altHeld = &ViewServices::altHeld;
    }
    if (!services.passUndoToTextEditor) {
        services.passUndoToTextEditor = &ViewServices::passUndoToTextEditor;
    }
}

std::optional<std::filesystem::path> ViewServices::chooseFolder(const app::FolderRequest& request) {
    QFileDialog dialog(QApplication::activeWindow(), request.message);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, request.buttonTitle);
    if (request.startFolder) {
        dialog.setDirectory(QString::fromStdString(request.startFolder->string()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(dialog.selectedFiles().constFirst().toStdString());
}

bool ViewServices::altHeld() {
    const Qt::KeyboardModifiers modifiers =
        dropModifiers() ? *dropModifiers() : QGuiApplication::queryKeyboardModifiers();
    return modifiers.testFlag(Qt::AltModifier);
}

bool ViewServices::passUndoToTextEditor() {
    QWidget* focus = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        line->undo();
        return true;
    }
    if (auto* text = qobject_cast<QTextEdit*>(focus)) {
        text->undo();
        return true;
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(focus)) {
        plain->undo();
        return true;
    }
    return false;
}

ViewServices::DropModifiers::DropModifiers(Qt::KeyboardModifiers modifiers)
    : previous_(dropModifiers()) {
    dropModifiers() = modifiers;
}

ViewServices::DropModifiers::~DropModifiers() {
    dropModifiers() = previous_;
}

} // namespace ui

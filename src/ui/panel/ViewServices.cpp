#include "panel/ViewServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
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

void ViewServices::showExplanation(QFileDialog& dialog, const QString& message) {
    if (message.isEmpty()) {
        return;
    }
    // Qt's own dialog is a grid under one layout; a native one has no widgets to extend.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (grid == nullptr) {
        return;
    }
    auto* label = new QLabel(message, &dialog);
    label->setObjectName(QStringLiteral("explanation"));
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
}

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
    // Window managers cut long titles: the explanation shows inside the dialog as well.
    showExplanation(dialog, request.message);
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

// The operations of AppModel the user starts by hand: drop, tidy-up, undo, name again,
// corrections and reveal.
#include "AppModel.h"

#include "files/Renamer.h"
#include "rules/FileRules.h"
#include "unicode/Unicode.h"

#include <QPointer>

namespace app {

namespace {

using Path = std::filesystem::path;

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

QString stemOf(const std::string& fileName) {
    return q(engine::FileRules::stem(Path(fileName)));
}

QString quoted(const QString& text) {
    return QStringLiteral("\u201C") + text + QStringLiteral("\u201D");
}

QString plural(qsizetype count) {
    return count == 1 ? QString() : QStringLiteral("s");
}

bool isImage(const Path& path) {
    const auto extension = engine::Unicode::toLower(engine::FileRules::extension(path));
    return engine::FileRules::imageExtensions().count(extension) > 0;
}

QString folderName(const Path& folder) {
    std::string text = folder.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return q(Path(text).filename().string());
}

// Trims spaces and tabs only: a typed name never holds line breaks after sanitising.
std::string trimBlanks(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    const auto end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

} // namespace

void AppModel::handleDrop(const std::vector<Path>& paths) {
    const bool anyway = services_.altHeld && services_.altHeld();
    std::vector<Path> images;
    for (const auto& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            const auto listing = engine::FileRules::listCandidates(path, true);
            images.insert(images.end(), listing.files.begin(), listing.files.end());
        } else if (anythingAt(path) && isImage(path)) {
            images.push_back(path);
        }
    }
    if (images.empty()) {
        setMessage(QStringLiteral("Drop images, or folders with images in them."));
        return;
    }
    if (anyway) {
        enqueue(images);
        return;
    }
    std::vector<Path> vague;
    std::copy_if(images.begin(), images.end(), std::back_inserter(vague),
                 [](const Path& p) { return engine::FileRules::isCandidate(p); });
    if (vague.empty()) {
        if (images.size() == 1) {
            setMessage(quoted(q(engine::FileRules::stem(images.front()))) +
                       QStringLiteral(" already has a real name, so it was left alone. Hold Alt "
                                      "while dropping to rename it anyway."));
        } else {
            setMessage(QStringLiteral("All %1 images already have real names, so they were left "
                                      "alone. Hold Alt while dropping to rename them anyway.")
                           .arg(images.size()));
        }
        return;
    }
    const auto skipped = static_cast<qsizetype>(images.size() - vague.size());
    if (skipped > 0) {
        setMessage(
            QStringLiteral("Naming %1 image%2. %3 already had a real name and %4 left alone.")
                .arg(vague.size())
                .arg(plural(static_cast<qsizetype>(vague.size())))
                .arg(skipped)
                .arg(skipped == 1 ? QStringLiteral("was") : QStringLiteral("were")));
    }
    enqueue(vague);
}

void AppModel::chooseFolderToTidy() {
    if (services_.bringToFront) {
        services_.bringToFront();
    }
    if (!services_.chooseFolder) {
        return;
    }
    const auto folder = services_.chooseFolder(
        {QStringLiteral("Tidy Up"),
         QStringLiteral("Pick a folder. Images with names like \u201CScreenshot 2026-\u2026\u201D, "
                        "\u201CIMG_4471\u201D or \u201CUntitled\u201D get real names."),
         screenshotFolder_});
    if (folder) {
        tidyUp(*folder);
    }
}

void AppModel::tidyUp(const Path& folder) {
    const auto undone = undonePresentPaths();
    const auto listing = engine::FileRules::listCandidates(folder, false);
    if (!listing.ok()) {
        setMessage(QStringLiteral("Quillmark can\u2019t open ") + folderName(folder) +
                   QStringLiteral(". Check that the folder exists and that you may read it, then "
                                  "try again."));
        return;
    }
    std::vector<Path> files;
    for (const auto& file : listing.files) {
        if (undone.count(file.string()) == 0) {
            files.push_back(file);
        }
    }
    if (files.empty()) {
        setMessage(QStringLiteral("Nothing to tidy in ") + folderName(folder) +
                   QStringLiteral(". Every image already has a real name."));
        return;
    }
    setMessage(QStringLiteral("Naming %1 image%2 in ")
                   .arg(files.size())
                   .arg(plural(static_cast<qsizetype>(files.size()))) +
               folderName(folder) + QStringLiteral("\u2026"));
    enqueue(files);
}

void AppModel::forgetMovedRecord(std::size_t index, const std::string& fileName) {
    history_.erase(history_.begin() + static_cast<std::ptrdiff_t>(index));
    emit historyChanged();
    saveHistory();
    setMessage(quoted(stemOf(fileName)) +
               QStringLiteral(" was moved or deleted, so it\u2019s off the list."));
}

void AppModel::undo(const engine::RenameRecord& wanted) {
    const auto index = indexOf(wanted.id);
    if (!index) {
        return;
    }
    const engine::RenameRecord record = history_[*index];
    const Path current = Path(record.folderPath) / record.currentName;
    if (!anythingAt(current)) {
        forgetMovedRecord(*index, record.currentName);
        return;
    }
    const Path original = Path(record.folderPath) / record.originalName;
    announce(original);
    const auto restored = engine::Renamer::restore(current, record.originalName);
    if (!restored) {
        producedPaths_.erase(original.string());
        setMessage(q(restored.error().description()));
        return;
    }
    history_[*index].undone = true;
    emit historyChanged();
    saveHistory();
    setMessage(QStringLiteral("Undid ") + quoted(stemOf(record.currentName)) +
               QStringLiteral(". It\u2019s ") + quoted(stemOf(record.originalName)) +
               QStringLiteral(" again."));
    setLastUndoneID(record.id);
}

void AppModel::undoLast() {
    if (services_.passUndoToTextEditor && services_.passUndoToTextEditor()) {
        return;
    }
    const auto active = activeRecords();
    if (active.empty()) {
        setMessage(QStringLiteral("Nothing to undo."));
        return;
    }
    undo(active.front());
}

void AppModel::undoAllVisible() {
    const auto active = activeRecords();
    const std::size_t count = std::min<std::size_t>(active.size(), 50);
    for (std::size_t i = 0; i < count; ++i) {
        undo(active[i]);
    }
}

void AppModel::nameAgain(const std::string& id) {
    if (const auto index = indexOf(id)) {
        nameAgain(history_[*index]);
    }
}

void AppModel::nameAgain(const engine::RenameRecord& wanted) {
    const auto index = indexOf(wanted.id);
    if (!index || !history_[*index].undone) {
        return;
    }
    const engine::RenameRecord record = history_[*index];
    const Path original = Path(record.folderPath) / record.originalName;
    if (!anythingAt(original)) {
        forgetMovedRecord(*index, record.originalName);
        setLastUndoneID(std::nullopt);
        return;
    }
    const auto renamed =
        renameAnnounced(original, engine::FileRules::stem(Path(record.currentName)));
    if (!renamed) {
        setMessage(q(renamed.error().description()));
        return;
    }
    history_[*index].undone = false;
    history_[*index].currentName = renamed.path().filename().string();
    emit historyChanged();
    saveHistory();
    setMessage(QStringLiteral("Named ") + quoted(q(engine::FileRules::stem(renamed.path()))) +
               QStringLiteral(" again."));
    setLastUndoneID(std::nullopt);
}

void AppModel::correct(const engine::RenameRecord& wanted, const QString& typed) {
    const std::string clean = trimBlanks(engine::Namer::sanitizeForFileName(typed.toStdString()));
    const auto index = indexOf(wanted.id);
    // Compared with the name the file has now: the caller's copy may be older.
    if (!index || clean.empty() ||
        clean == engine::FileRules::stem(Path(history_[*index].currentName))) {
        return;
    }
    if (clean.front() == '.') {
        // The file would vanish from file managers as a hidden file.
        setMessage(quoted(q(clean)) +
                   QStringLiteral(" isn\u2019t a valid name: a name can\u2019t start with a dot."));
        return;
    }
    const engine::RenameRecord record = history_[*index];
    const auto renamed = renameAnnounced(Path(record.folderPath) / record.currentName, clean);
    if (!renamed) {
        setMessage(q(renamed.error().description()));
        return;
    }
    history_[*index].currentName = renamed.path().filename().string();
    // Learned before the views hear of the change, so they count this fix too.
    rememberCorrection(record.suggestedName, clean);
    emit historyChanged();
    saveHistory();
}

void AppModel::reveal(const engine::RenameRecord& wanted) {
    // The file as it is named now, which a renaming since the view's copy may have changed.
    const auto index = indexOf(wanted.id);
    if (index && services_.reveal) {
        const Path file = history_[*index].presentPath();
        services_.reveal(file, [model = QPointer<AppModel>(this), file](bool shown) {
            if (!shown && model) {
                model->setMessage(QStringLiteral("Couldn\u2019t show ") +
                                  quoted(q(file.filename().string())) +
                                  QStringLiteral(" in its folder: no file manager answered."));
            }
        });
    }
}

void AppModel::couldNotOpen(const Path& file) {
    setMessage(QStringLiteral("Couldn\u2019t open ") + quoted(q(file.filename().string())) +
               QStringLiteral(": nothing on this computer opens it."));
}

std::optional<engine::RenameRecord> AppModel::record(const std::string& id) const {
    if (const auto index = indexOf(id)) {
        return history_[*index];
    }
    return std::nullopt;
}

} // namespace app

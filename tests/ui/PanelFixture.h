#pragma once

#include "AppModel.h"
#include "files/HistoryStore.h"
#include "panel/ViewServices.h"
#include "support/FakeNamer.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <mutex>

namespace panel_test {

namespace fs = std::filesystem;

using test_support::FakeNamer;

inline void touch(const fs::path& path) {
    std::ofstream(path) << "x";
}

// `count` renames in `folder`, newest first, whose files exist, saved as the history in
// `data`; `undone` marks them all undone.
inline std::vector<engine::RenameRecord>
writeNamedHistory(const fs::path& folder, const fs::path& data, int count, bool undone = false) {
    std::vector<engine::RenameRecord> records;
    for (int i = count; i >= 1; --i) {
        engine::RenameRecord record;
        record.id = engine::RenameRecord::makeId();
        record.folderPath = folder.string();
        record.originalName = "IMG_" + std::to_string(1000 + i) + ".png";
        record.currentName = "Named " + std::to_string(i) + ".png";
        record.suggestedName = "Named " + std::to_string(i);
        record.date = std::chrono::system_clock::now();
        record.undone = undone;
        touch(folder / (undone ? record.originalName : record.currentName));
        records.push_back(record);
    }
    engine::HistoryStore("Quillmark", data).save(records);
    return records;
}

// A real model on temporary folders: settings, history, autostart and the screenshot folder.
class PanelFixture : public ::testing::Test {
protected:
    QTemporaryDir home;
    fs::path root = home.path().toStdString();
    fs::path screenshots = root / "Screenshots";
    fs::path settingsFile = root / "config" / "Quillmark.conf";
    std::shared_ptr<FakeNamer> namer = std::make_shared<FakeNamer>();
    std::optional<fs::path> chosenFolder;

    void SetUp() override {
        fs::create_directories(screenshots);
        QSettings settings(QString::fromStdString(settingsFile.string()), QSettings::IniFormat);
        settings.setValue("screenshotFolder", QString::fromStdString(screenshots.string()));
        // Watching is not what these tests look at.
        settings.setValue("autoName", false);
    }

    app::AppServices services() {
        app::AppServices s;
        s.settingsFile = QString::fromStdString(settingsFile.string());
        s.dataFolder = root / "data";
        s.homeFolder = root;
        s.autostartFolder = root / "autostart";
        s.executablePath = QString::fromStdString((root / "build" / "quillmark").string());
        s.namer = namer;
        s.pause = std::chrono::milliseconds(1);
        s.chooseFolder = [this](const app::FolderRequest&) { return chosenFolder; };
        // The panel's own seams, as the running application has them.
        ui::ViewServices::fill(s);
        return s;
    }

    std::unique_ptr<app::AppModel> makeModel() {
        return std::make_unique<app::AppModel>(services());
    }

    // `count` renames, newest first, whose files exist; `undone` marks them all undone.
    std::vector<engine::RenameRecord> writeHistory(int count, bool undone = false) {
        return writeNamedHistory(screenshots, root / "data", count, undone);
    }

    std::vector<engine::RenameRecord> storedHistory() {
        return engine::HistoryStore("Quillmark", root / "data").load();
    }

    static bool waitIdle(app::AppModel& model) {
        return QTest::qWaitFor([&] { return !model.isWorking() && model.queued() == 0; }, 5000);
    }
};

} // namespace panel_test

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>
#include <optional>

#include "model/ModelConfig.h"
#include "rules/Environment.h"

class QSettings;

namespace app {

// The user's settings, one INI file. Every setter writes its key to disk at once; a value that
// is missing, foreign or unreadable reads as the key's default. Write failures are silent.
//
// The command-line modes read the model keys without Qt, so the file must stay readable by a
// plain INI reader. QSettings writes every key under "[General]" as `key=value` and leaves a
// value such as http://127.0.0.1:11434 or llava:7b unquoted; booleans are `true` / `false`.
// A string is wrapped in double quotes, with \" and \\ escapes, only when it holds `,` `;` `"`,
// a control character or leading or trailing spaces; a leading `@` is doubled. Non-ASCII text
// is written as UTF-8.
class AppSettings {
public:
    // readOnly: values read from the file, changes kept in memory only.
    enum class Access { readWrite, readOnly };

    // $XDG_CONFIG_HOME/Quillmark/Quillmark.conf, by default ~/.config/Quillmark/Quillmark.conf.
    // Something other than a regular file at the path (a FIFO, a device) is neither read nor
    // written: every key has its default, and changes stay in memory.
    AppSettings();
    explicit AppSettings(const QString& filePath, Access access = Access::readWrite);
    ~AppSettings();

    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;

    static QString defaultFilePath();
    QString filePath() const;

    bool autoName() const;
    void setAutoName(bool on);

    // The stored raw value, whatever it is; the naming style decides what it means.
    std::optional<QString> namingStyleRaw() const;
    void setNamingStyleRaw(const QString& raw);

    bool notify() const;
    void setNotify(bool on);

    bool watchDownloads() const;
    void setWatchDownloads(bool on);

    // Absolute folder paths in list order; entries that are not absolute paths are dropped.
    QStringList extraFolders() const;
    void setExtraFolders(const QStringList& folders);

    bool loginDefaultApplied() const;
    void setLoginDefaultApplied(bool applied);

    // The JSON text of the learned corrections; empty when absent or not text.
    QByteArray correctionsJson() const;
    void setCorrectionsJson(const QByteArray& json);

    // A folder chosen instead of the desktop's screenshot folder; absent when not set.
    std::optional<QString> screenshotFolder() const;
    void setScreenshotFolder(const std::optional<QString>& folder);

    QString modelEndpoint() const;
    void setModelEndpoint(const QString& endpoint);
    // Empty: let the model client choose.
    QString modelName() const;
    void setModelName(const QString& name);
    bool allowRemoteModel() const;
    void setAllowRemoteModel(bool allow);
    // The model settings every mode uses: these keys, then QUILLMARK_MODEL_URL and
    // QUILLMARK_MODEL from the environment.
    engine::ModelConfig
    modelConfig(const engine::Environment& environment = engine::Environment::process()) const;

private:
    QVariant read(const char* key) const;
    std::optional<QString> readText(const char* key) const;
    bool readBool(const char* key, bool fallback) const;
    void write(const char* key, const QVariant& value);
    void remove(const char* key);

    std::unique_ptr<QSettings> settings_;
    QString filePath_;
    bool writable_ = true;
    // Changes not written to the file; an invalid value stands for a removed key.
    QVariantMap unwritten_;
};

} // namespace app

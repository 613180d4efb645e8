#include "AppSettings.h"

#include "files/RegularFile.h"
#include "model/ModelSettings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace app {

namespace {

constexpr const char* kAutoName = "autoName";
constexpr const char* kNamingStyle = "namingStyle";
constexpr const char* kNotify = "notify";
constexpr const char* kWatchDownloads = "watchDownloads";
constexpr const char* kExtraFolders = "extraFolders";
constexpr const char* kLoginDefaultApplied = "loginDefaultApplied";
constexpr const char* kCorrections = "corrections";
constexpr const char* kScreenshotFolder = "screenshotFolder";
constexpr const char* kModelEndpoint = "modelEndpoint";
constexpr const char* kModelName = "modelName";
constexpr const char* kAllowRemoteModel = "allowRemoteModel";

bool isAbsolutePath(const QString& path) {
    return path.startsWith(QLatin1Char('/'));
}

} // namespace

AppSettings::AppSettings() : AppSettings(defaultFilePath()) {}

AppSettings::AppSettings(const QString& filePath, Access access)
    : filePath_(filePath), writable_(access == Access::readWrite) {
    // QSettings would wait for ever on opening a FIFO.
    if (engine::RegularFile::isAbsentOrRegular(filePath.toStdString())) {
        settings_ = std::make_unique<QSettings>(filePath, QSettings::IniFormat);
    } else {
        writable_ = false;
    }
}

AppSettings::~AppSettings() = default;

QString AppSettings::defaultFilePath() {
    // Honours an absolute XDG_CONFIG_HOME, else ~/.config.
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(configHome).filePath(QStringLiteral("Quillmark/Quillmark.conf"));
}

QString AppSettings::filePath() const {
    return settings_ ? settings_->fileName() : filePath_;
}

QVariant AppSettings::read(const char* key) const {
    const QString name = QLatin1String(key);
    if (const auto unwritten = unwritten_.constFind(name); unwritten != unwritten_.cend()) {
        return *unwritten;
    }
    return settings_ ? settings_->value(name) : QVariant();
}

std::optional<QString> AppSettings::readText(const char* key) const {
    const QVariant value = read(key);
    // A list (an unquoted value with commas) or a byte array is not text.
    if (value.typeId() != QMetaType::QString) {
        return std::nullopt;
    }
    return value.toString();
}

bool AppSettings::readBool(const char* key, bool fallback) const {
    const QVariant value = read(key);
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool();
    }
    if (value.typeId() != QMetaType::QString) {
        return fallback;
    }
    // The file holds text; QVariant::toBool would take any text but "false" and "0" as true.
    return engine::ModelSettings::parseBool(value.toString().toStdString()).value_or(fallback);
}

void AppSettings::write(const char* key, const QVariant& value) {
    if (!writable_) {
        unwritten_.insert(QLatin1String(key), value);
        return;
    }
    settings_->setValue(QLatin1String(key), value);
    settings_->sync();
}

void AppSettings::remove(const char* key) {
    if (!writable_) {
        unwritten_.insert(QLatin1String(key), QVariant());
        return;
    }
    settings_->remove(QLatin1String(key));
    settings_->sync();
}

bool AppSettings::autoName() const {
    return readBool(kAutoName, true);
}

void AppSettings::setAutoName(bool on) {
    write(kAutoName, on);
}

std::optional<QString> AppSettings::namingStyleRaw() const {
    return readText(kNamingStyle);
}

void AppSettings::setNamingStyleRaw(const QString& raw) {
    write(kNamingStyle, raw);
}

bool AppSettings::notify() const {
    return readBool(kNotify, true);
}

void AppSettings::setNotify(bool on) {
    write(kNotify, on);
}

bool AppSettings::watchDownloads() const {
    return readBool(kWatchDownloads, false);
}

void AppSettings::setWatchDownloads(bool on) {
    write(kWatchDownloads, on);
}

QStringList AppSettings::extraFolders() const {
    const QVariant value = read(kExtraFolders);
    // QSettings reads a one-entry list back as plain text.
    QStringList stored;
    if (value.typeId() == QMetaType::QStringList) {
        stored = value.toStringList();
    } else if (value.typeId() == QMetaType::QString) {
        stored = QStringList{value.toString()};
    }
    QStringList folders;
    for (const QString& path : stored) {
        if (isAbsolutePath(path)) {
            folders.append(path);
        }
    }
    return folders;
}

void AppSettings::setExtraFolders(const QStringList& folders) {
    write(kExtraFolders, folders);
}

bool AppSettings::loginDefaultApplied() const {
    return readBool(kLoginDefaultApplied, false);
}

void AppSettings::setLoginDefaultApplied(bool applied) {
    write(kLoginDefaultApplied, applied);
}

QByteArray AppSettings::correctionsJson() const {
    const QVariant value = read(kCorrections);
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray();
    }
    const std::optional<QString> text = readText(kCorrections);
    return text ? text->toUtf8() : QByteArray();
}

void AppSettings::setCorrectionsJson(const QByteArray& json) {
    // Stored as text rather than @ByteArray(...) so the file stays readable.
    write(kCorrections, QString::fromUtf8(json));
}

std::optional<QString> AppSettings::screenshotFolder() const {
    std::optional<QString> folder = readText(kScreenshotFolder);
    if (!folder || !isAbsolutePath(*folder)) {
        return std::nullopt;
    }
    return folder;
}

void AppSettings::setScreenshotFolder(const std::optional<QString>& folder) {
    if (folder) {
        write(kScreenshotFolder, *folder);
    } else {
        remove(kScreenshotFolder);
    }
}

QString AppSettings::modelEndpoint() const {
    const std::optional<QString> endpoint = readText(kModelEndpoint);
    if (!endpoint || endpoint->trimmed().isEmpty()) {
        return QString::fromLatin1(engine::ModelConfig::defaultEndpoint);
    }
    return endpoint->trimmed();
}

void AppSettings::setModelEndpoint(const QString& endpoint) {
    write(kModelEndpoint, endpoint);
}

QString AppSettings::modelName() const {
    return readText(kModelName).value_or(QString()).trimmed();
}

void AppSettings::setModelName(const QString& name) {
    write(kModelName, name);
}

bool AppSettings::allowRemoteModel() const {
    return readBool(kAllowRemoteModel, false);
}

void AppSettings::setAllowRemoteModel(bool allow) {
    write(kAllowRemoteModel, allow);
}

engine::ModelConfig AppSettings::modelConfig(const engine::Environment& environment) const {
    // Read back through the reader every other mode uses, so they all agree.
    engine::ModelSettings::Stored stored;
    if (settings_) {
        settings_->sync();
        stored = engine::ModelSettings::read(filePath().toStdString());
    }
    // A choice that could not be written still counts for this run.
    const auto overlay = [this](const char* key, std::optional<std::string>& value) {
        if (const auto it = unwritten_.constFind(QLatin1String(key)); it != unwritten_.cend()) {
            value = it->isNull() ? std::nullopt : std::optional(it->toString().toStdString());
        }
    };
    overlay(kModelEndpoint, stored.endpoint);
    overlay(kModelName, stored.name);
    overlay(kAllowRemoteModel, stored.allowRemote);
    return engine::ModelSettings::resolve(stored, environment);
}

} // namespace app

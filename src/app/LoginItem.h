#pragma once

#include <QString>

#include <optional>

namespace app {

// Open at login through an XDG autostart entry.
class LoginItem {
public:
    // Added to the entry's command so the program knows it was started by the session.
    static constexpr const char* launchArgument = "--launched-at-login";

    // $XDG_CONFIG_HOME/autostart and the running executable.
    LoginItem();
    LoginItem(QString autostartFolder, QString executablePath);

    static QString defaultAutostartFolder();
    static QString runningExecutablePath();

    QString entryPath() const;
    QString executablePath() const { return executablePath_; }

    // The entry exists and the session would start it.
    bool isEnabled() const;
    // Each returns the reason on failure.
    std::optional<QString> registerItem() const;
    std::optional<QString> unregisterItem() const;

    // The desktop entry text that starts `executablePath` at login.
    static QByteArray entryText(const QString& executablePath);
    // One argument of an Exec line, quoted and escaped when it needs to be.
    static QString execArgument(const QString& argument);

    // Installed by a package or by hand under /usr or /opt, rather than run from a build folder.
    static bool isInstalledLocation(const QString& executablePath);
    // Some folder above the file holds a CMakeCache.txt.
    static bool isInsideBuildTree(const QString& path);

private:
    QString autostartFolder_;
    QString executablePath_;
};

} // namespace app

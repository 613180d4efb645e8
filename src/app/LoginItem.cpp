#include "LoginItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace app {

namespace {

const QString kEntryFileName = QStringLiteral("quillmark.desktop");

// Reads a boolean key of the [Desktop Entry] group; keys may have spaces around '='.
std::optional<bool> desktopEntryBool(const QByteArray& text, const char* wantedKey) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inMainGroup || line.startsWith('#') || equals < 0) {
            continue;
        }
        if (line.left(equals).trimmed() == wantedKey) {
            const QByteArray value = line.mid(equals + 1).trimmed();
            if (value == "true") {
                return true;
            }
            if (value == "false") {
                return false;
            }
        }
    }
    return std::nullopt;
}

// The general escapes of a desktop entry string value.
QString escapeStringValue(const QString& value) {
    QString escaped;
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

LoginItem::LoginItem() : LoginItem(defaultAutostartFolder(), runningExecutablePath()) {}

LoginItem::LoginItem(QString autostartFolder, QString executablePath)
    : autostartFolder_(std::move(autostartFolder)),
      executablePath_(QFileInfo(executablePath).absoluteFilePath()) {}

QString LoginItem::defaultAutostartFolder() {
    const QString configHome =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(configHome).filePath(QStringLiteral("autostart"));
}

QString LoginItem::runningExecutablePath() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationFilePath();
    }
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString LoginItem::entryPath() const {
    return QDir(autostartFolder_).filePath(kEntryFileName);
}

bool LoginItem::isEnabled() const {
    QFile file(entryPath());
    if (!QFileInfo(file).isFile()) {
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        return true;
    }
    const QByteArray text = file.readAll();
    // GNOME's own switch for autostart entries counts as much as Hidden.
    return desktopEntryBool(text, "Hidden") != true &&
           desktopEntryBool(text, "X-GNOME-Autostart-enabled") != false;
}

std::optional<QString> LoginItem::registerItem() const {
    std::error_code error;
    std::filesystem::create_directories(autostartFolder_.toStdString(), error);
    if (error) {
        return QString::fromStdString(error.message());
    }
    QSaveFile file(entryPath());
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    const QByteArray text = entryText(executablePath_);
    if (file.write(text) != text.size() || !file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

std::optional<QString> LoginItem::unregisterItem() const {
    QFile file(entryPath());
    if (!file.exists()) {
        return std::nullopt;
    }
    if (!file.remove()) {
        return file.errorString();
    }
    return std::nullopt;
}

QByteArray LoginItem::entryText(const QString& executablePath) {
    const QString exec = escapeStringValue(execArgument(executablePath) + QLatin1Char(' ') +
                                           QLatin1String(launchArgument));
    // The delay and "after panel" keys let the tray host start first, so the tray item is
    // not lost to a login race.
    const QString text = QLatin1String("[Desktop Entry]\n"
                                       "Type=Application\n"
                                       "Name=Quillmark\n"
                                       "Comment=Gives new screenshots short, specific names\n"
                                       "Icon=org.quillmark.Quillmark\n"
                                       "Exec=") +
                         exec +
                         // Without the program (removed, say) the session skips the entry.
                         QLatin1String("\nTryExec=") + escapeStringValue(executablePath) +
                         QLatin1String("\n"
                                       "Terminal=false\n"
                                       "StartupNotify=false\n"
                                       "X-GNOME-Autostart-enabled=true\n"
                                       "X-GNOME-Autostart-Delay=2\n"
                                       "X-KDE-autostart-after=panel\n"
                                       "X-LXQt-Need-Tray=true\n");
    return text.toUtf8();
}

QString LoginItem::execArgument(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        needsQuotes = needsQuotes || reserved.contains(c);
    }
    QString result;
    for (const QChar c : argument) {
        if (c == QLatin1Char('%')) {
            result += QLatin1String("%%"); // not a field code
        } else if (needsQuotes && QStringLiteral("\"`$\\").contains(c)) {
            result += QLatin1Char('\\');
            result += c;
        } else {
            result += c;
        }
    }
    return needsQuotes ? QLatin1Char('"') + result + QLatin1Char('"') : result;
}

bool LoginItem::isInstalledLocation(const QString& executablePath) {
    if (!executablePath.startsWith(QLatin1Char('/'))) {
        return false;
    }
    const QString path = QDir::cleanPath(executablePath);
    const bool underPrefix =
        path.startsWith(QLatin1String("/usr/")) || path.startsWith(QLatin1String("/opt/"));
    return underPrefix && !isInsideBuildTree(path);
}

bool LoginItem::isInsideBuildTree(const QString& path) {
    // Walks the path by name so that folders which do not exist do not stop the walk.
    QString folder = QFileInfo(path).absolutePath();
    while (true) {
        if (QFileInfo::exists(folder + QLatin1String("/CMakeCache.txt"))) {
            return true;
        }
        if (folder == QLatin1String("/")) {
            return false;
        }
        folder = QFileInfo(folder).absolutePath();
    }
}

} // namespace app

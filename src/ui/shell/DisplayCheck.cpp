#include "shell/DisplayCheck.h"

#include <QDir>
#include <QLibraryInfo>
#include <QRegularExpression>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ui {

namespace {

// `abstract`: the Linux abstract namespace, where X servers also listen.
bool connects(const std::string& path, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof(address.sun_path)) {
        return false;
    }
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               path.size() + (abstract ? 0 : 1));
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    ::close(fd);
    return ok;
}

bool waylandPluginInstalled() {
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                         QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty();
}

} // namespace

bool DisplayCheck::waylandReachable(const QProcessEnvironment& environment) {
    const QString name = environment.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (name.isEmpty()) {
        return false;
    }
    const QString path =
        name.startsWith(QLatin1Char('/'))
            ? name
            : environment.value(QStringLiteral("XDG_RUNTIME_DIR")) + QLatin1Char('/') + name;
    return connects(QFile::encodeName(path).toStdString(), false) && waylandPluginInstalled();
}

bool DisplayCheck::xReachable(const QProcessEnvironment& environment) {
    const QString display = environment.value(QStringLiteral("DISPLAY"));
    if (display.isEmpty()) {
        return false;
    }
    static const QRegularExpression local(QStringLiteral("^(unix)?:(\\d+)(\\.\\d+)?$"));
    const auto match = local.match(display);
    if (!match.hasMatch()) {
        return true;
    }
    const std::string socket = "/tmp/.X11-unix/X" + match.captured(2).toStdString();
    return connects(socket, true) || connects(socket, false);
}

bool DisplayCheck::hasGraphicalSession(const QProcessEnvironment& environment) {
    if (!environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty()) {
        return true;
    }
    return waylandReachable(environment) || xReachable(environment);
}

std::string DisplayCheck::noDisplayLine(const QProcessEnvironment& environment) {
    const bool named = environment.contains(QStringLiteral("DISPLAY")) ||
                       environment.contains(QStringLiteral("WAYLAND_DISPLAY"));
    return std::string("quillmark: no graphical session (") +
           (named ? "the display in DISPLAY or WAYLAND_DISPLAY cannot be reached"
                  : "DISPLAY and WAYLAND_DISPLAY are not set") +
           "); run `quillmark --watch` to name screenshots without a window";
}

} // namespace ui

#include "shell/LoginLaunch.h"

#include <QFile>
#include <cmath>

namespace ui {

bool LoginLaunch::staysQuiet(bool launchedAtLogin, std::optional<double> uptimeSeconds,
                             const std::function<bool()>& entryEnabled) {
    if (launchedAtLogin) {
        return true;
    }
    return uptimeSeconds && *uptimeSeconds < bootWindowSeconds && entryEnabled && entryEnabled();
}

std::optional<double> LoginLaunch::parseUptime(const QByteArray& text) {
    const QList<QByteArray> fields = text.simplified().split(' ');
    bool ok = false;
    const double seconds = fields.value(0).toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds < 0) {
        return std::nullopt;
    }
    return seconds;
}

std::optional<double> LoginLaunch::systemUptime(const QString& file) {
    QFile uptime(file);
    if (!uptime.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return parseUptime(uptime.read(128));
}

} // namespace ui

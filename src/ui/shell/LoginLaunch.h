#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace ui {

// Whether this start is the session starting the program, when it should stay quietly in the
// tray instead of opening its window.
class LoginLaunch {
public:
    // Soon after boot, with the autostart entry enabled, a start without the argument is most
    // likely the session too (an entry written by an older version, a desktop that drops it).
    static constexpr double bootWindowSeconds = 180.0;

    // `entryEnabled` is only asked inside the boot window.
    static bool staysQuiet(bool launchedAtLogin, std::optional<double> uptimeSeconds,
                           const std::function<bool()>& entryEnabled);

    // Seconds since boot from a /proc/uptime text; nothing when it cannot be read.
    static std::optional<double> parseUptime(const QByteArray& text);
    static std::optional<double> systemUptime(const QString& file = QStringLiteral("/proc/uptime"));
};

} // namespace ui

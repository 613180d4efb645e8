#include "Updater.h"

namespace app {

Updater::Updater(bool /*start*/, QObject* parent) : QObject(parent) {}

QString Updater::versionText() {
#ifdef QUILLMARK_VERSION
    const std::optional<QString> shortVersion = QString::fromUtf8(QUILLMARK_VERSION);
#else
    const std::optional<QString> shortVersion;
#endif
#ifdef QUILLMARK_BUILD
    const std::optional<QString> build = QString::fromUtf8(QUILLMARK_BUILD);
#else
    const std::optional<QString> build;
#endif
    return versionText(shortVersion, build);
}

QString Updater::versionText(const std::optional<QString>& shortVersion,
                             const std::optional<QString>& build) {
    const QString version =
        shortVersion && !shortVersion->isEmpty() ? *shortVersion : QStringLiteral("dev");
    const QString number = build && !build->isEmpty() ? *build : QStringLiteral("0");
    return version + QStringLiteral(" (") + number + QLatin1Char(')');
}

} // namespace app

#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace app {

// Software updates come from the distribution's package manager, so there is no update feed:
// a check is never possible and the settings keep their button disabled.
class Updater : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool canCheck READ canCheck NOTIFY canCheckChanged)

public:
    // `start` is false in the snapshot and bench modes; with no feed both behave alike.
    explicit Updater(bool start, QObject* parent = nullptr);

    bool canCheck() const { return false; }
    void checkForUpdates() {}

    // "0.1.0 (0)": the build's version and build number.
    static QString versionText();
    // A missing or empty version reads "dev", a missing or empty build "0".
    static QString versionText(const std::optional<QString>& shortVersion,
                               const std::optional<QString>& build);

signals:
    void canCheckChanged(bool canCheck);
};

} // namespace app

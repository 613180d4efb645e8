#include "Notifier.h"

#include "QtPrinters.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <QProcess>
#include <QSignalSpy>
#include <QVariantMap>

#include <gtest/gtest.h>

#include <memory>

#include <csignal>
#include <sys/prctl.h>

namespace {

struct Notification {
    QString appName;
    uint replacesId = 0;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout = 0;
};

// Stands in for the desktop's notification server and records what it is sent.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<Notification> received;

public slots:
    Q_SCRIPTABLE uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                             const QString& summary, const QString& body,
                             const QStringList& actions, const QVariantMap& hints,
                             int expireTimeout) {
        received.push_back(
            {appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
        emit notified();
        return uint(received.size());
    }

signals:
    void notified();
};

class NotifierTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        daemon_ = new QProcess;
        // The daemon goes with the test process even if a test crashes.
        daemon_->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        daemon_->start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--print-address"),
                        QStringLiteral("--nofork")});
        if (!daemon_->waitForStarted(5000)) {
            return;
        }
        while (!daemon_->canReadLine() && daemon_->waitForReadyRead(5000)) {
        }
        address_ = QString::fromUtf8(daemon_->readLine()).trimmed();
    }

    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus(QStringLiteral("notifier-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notifier-server"));
        daemon_->terminate();
        if (!daemon_->waitForFinished(5000)) {
            daemon_->kill();
            daemon_->waitForFinished(5000);
        }
        delete daemon_;
        daemon_ = nullptr;
    }

    void SetUp() override {
        ASSERT_FALSE(address_.isEmpty()) << "dbus-daemon did not start";
        QDBusConnection server =
            QDBusConnection::connectToBus(address_, QStringLiteral("notifier-server"));
        ASSERT_TRUE(server.isConnected());
        server_ = std::make_unique<FakeNotificationServer>();
        ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                          server_.get(), QDBusConnection::ExportScriptableSlots));
        ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void TearDown() override {
        QDBusConnection server(QStringLiteral("notifier-server"));
        server.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        server.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
        server_.reset();
    }

    static QDBusConnection client() {
        return QDBusConnection::connectToBus(address_, QStringLiteral("notifier-client"));
    }

    // Posts through `notifier` and waits until the server has seen `expected` notifications.
    bool post(const app::Notifier& notifier, const QStringList& names, size_t expected) {
        QSignalSpy spy(server_.get(), &FakeNotificationServer::notified);
        notifier.named(names);
        while (server_->received.size() < expected) {
            if (!spy.wait(3000)) {
                return false;
            }
        }
        return true;
    }

    static inline QProcess* daemon_ = nullptr;
    static inline QString address_;
    std::unique_ptr<FakeNotificationServer> server_;
};

TEST_F(NotifierTest, postsOneNotificationWithTheBatchSummary) {
    const app::Notifier notifier(client());
    ASSERT_TRUE(notifier.canPost());

    ASSERT_TRUE(post(notifier, {QStringLiteral("x")}, 1));
    const Notification& one = server_->received.at(0);
    EXPECT_EQ(one.appName, "Quillmark");
    EXPECT_EQ(one.replacesId, 0u);
    EXPECT_EQ(one.appIcon, "org.quillmark.Quillmark");
    EXPECT_EQ(one.summary, "Quillmark");
    EXPECT_EQ(one.body, QStringLiteral("Named \u201Cx\u201D"));
    EXPECT_TRUE(one.actions.isEmpty());
    EXPECT_EQ(one.hints, QVariantMap({{"desktop-entry", "org.quillmark.Quillmark"}}));
    EXPECT_EQ(one.expireTimeout, -1);

    ASSERT_TRUE(post(notifier, {QStringLiteral("a"), QStringLiteral("b")}, 2));
    EXPECT_EQ(server_->received.at(1).body,
              QStringLiteral("Named 2 screenshots, including \u201Ca\u201D, \u201Cb\u201D"));

    // Only the last two of five are quoted; a name that looks like a placeholder stays as is.
    ASSERT_TRUE(post(notifier,
                     {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                      QStringLiteral("Flight to Lisbon %1"), QStringLiteral("Café Menü")},
                     3));
    EXPECT_EQ(server_->received.at(2).body,
              QStringLiteral("Named 5 screenshots, including \u201CFlight to Lisbon %1\u201D, "
                             "\u201CCaf\u00E9 Men\u00FC\u201D"));
}

TEST_F(NotifierTest, sendsNothingForEmptyBatchOrWhenDisabled) {
    const app::Notifier notifier(client());
    notifier.named({});
    app::Notifier(client(), false).named({QStringLiteral("quiet")});
    app::Notifier::disabled().named({QStringLiteral("quiet")});
    app::Notifier(QDBusConnection(QStringLiteral("never-connected"))).named({"quiet"});

    // Messages of one connection arrive in order, so anything sent before would come first.
    ASSERT_TRUE(post(notifier, {QStringLiteral("marker")}, 1));
    ASSERT_EQ(server_->received.size(), 1u);
    EXPECT_EQ(server_->received.at(0).body, QStringLiteral("Named \u201Cmarker\u201D"));
}

} // namespace

#include "NotifierTest.moc"

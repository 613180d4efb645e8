// The panel window's hiding rules and the shell's answers to tray clicks, on the offscreen
// platform with a model in a scratch home.
#include "tray/PanelWindow.h"
#include "AppModel.h"
#include "PanelFixture.h"
#include "dashboard/DashboardView.h"
#include "dashboard/Sidebar.h"
#include "engine/ScratchFolder.h"
#include "files/HistoryStore.h"
#include "look/CrayonButton.h"
#include "panel/RecentList.h"
#include "shell/QuitPolicy.h"
#include "shell/Shell.h"
#include "support/FakeNamer.h"
#include "tray/TrayItem.h"

#include <QAccessible>
#include <QApplication>
#include <QDBusConnection>
#include <QDialog>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>
#include <QProcess>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Stands in for a panel's tray watcher, whose host registers when told to.
class FakeWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ hostRegistered)

public:
    bool host = false;
    mutable int asked = 0;
    bool hostRegistered() const {
        ++asked;
        return host;
    }

signals:
    void StatusNotifierHostRegistered();
};

class PanelWindowTest : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::unique_ptr<app::AppModel> model;
    std::chrono::steady_clock::time_point time{};

    void SetUp() override { model = makeModel(); }

    std::unique_ptr<app::AppModel> makeModel() {
        app::AppServices services;
        services.settingsFile = QString::fromStdString((scratch.path() / "q.conf").string());
        services.dataFolder = scratch.folder("data");
        services.homeFolder = scratch.folder("home");
        services.autostartFolder = scratch.path() / "autostart";
        services.executablePath = QStringLiteral("/work/build/quillmark");
        services.namer = std::make_shared<test_support::FakeNamer>(
            engine::Namer::Engine{engine::Namer::Engine::Kind::textOnly, "no model"});
        services.pause = 0ms;
        return std::make_unique<app::AppModel>(std::move(services));
    }

    // Renames whose files exist, so the panel lists them; read by the next model made.
    void writeHistory(int count) {
        panel_test::writeNamedHistory(scratch.folder("Screenshots"), scratch.path() / "data",
                                      count);
    }

    // Another window takes the activation, as a click elsewhere does.
    static void activateSomethingElse(QWidget& other) {
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::processEvents();
    }
};

} // namespace

TEST_F(PanelWindowTest, hidesWhenItLosesTheActivationItHadAndOnEscape) {
    ui::PanelWindow panel(*model);
    QSignalSpy lost(&panel, &ui::PanelWindow::lostActivation);
    QWidget other;

    panel.showBesideTray(QRect(500, 0, 24, 24));
    EXPECT_TRUE(panel.isFrameless());
    QApplication::setActiveWindow(&panel);
    QApplication::processEvents();
    ASSERT_TRUE(panel.isActiveWindow());
    // A dialog of ours, such as the folder chooser, does not send the panel away.
    QDialog chooser;
    chooser.setModal(true);
    activateSomethingElse(chooser);
    EXPECT_TRUE(panel.isVisible());
    chooser.hide();
    QApplication::setActiveWindow(&panel);
    QApplication::processEvents();
    activateSomethingElse(other);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.isVisible(); }, 5000));
    EXPECT_EQ(lost.count(), 1);

    other.hide();
    panel.showBesideTray(std::nullopt);
    EXPECT_TRUE(panel.isVisible());
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(lost.count(), 1);
}

TEST_F(PanelWindowTest, aDragFromTheWindowThatTookTheActivationStillFindsThePanel) {
    ui::PanelWindow panel(*model);
    QSignalSpy lost(&panel, &ui::PanelWindow::lostActivation);
    QWidget fileManager;
    panel.showBesideTray(QRect(500, 0, 24, 24));
    QApplication::setActiveWindow(&panel);
    QApplication::processEvents();
    ASSERT_TRUE(panel.isActiveWindow());

    // Pressing on a file activates its window; the panel waits for the drag to arrive.
    activateSomethingElse(fileManager);
    EXPECT_TRUE(panel.isVisible());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/IMG_1.png"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.windowHandle(), &enter);
    QTest::qWait(int(ui::PanelWindow::dragGrace.count()) + 300);
    EXPECT_TRUE(panel.isVisible());
    EXPECT_EQ(lost.count(), 0);

    // A drag that only passed over: the panel goes after the grace.
    QDragLeaveEvent leave;
    QApplication::sendEvent(panel.windowHandle(), &leave);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel.isVisible(); }, 5000));
    EXPECT_EQ(lost.count(), 1);
}

TEST_F(PanelWindowTest, asAnOrdinaryWindowItStaysWhenLeft) {
    ui::PanelWindow panel(*model);
    QWidget other;
    panel.showAsWindow();
    EXPECT_FALSE(panel.isFrameless());
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("Quillmark"));
    // The window takes the panel's fitting size, also when the settings change it.
    EXPECT_EQ(panel.size(), panel.content().sizeHint());
    panel.content().setShowSettings(true);
    // The engine check answers in the background and may add a line a turn later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel.size() == panel.content().sizeHint(); }, 2000))
        << panel.size().height() << " vs " << panel.content().sizeHint().height();
    QApplication::setActiveWindow(&panel);
    QApplication::processEvents();
    activateSomethingElse(other);
    EXPECT_TRUE(panel.isVisible());
}

TEST_F(PanelWindowTest, aGrowingPanelStaysAboveItsIconInsideTheScreen) {
    ui::PanelWindow panel(*model);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Low on the screen, with less room above it than the settings need.
    const QRect icon(700, screen.height() * 3 / 5, 24, 24);
    panel.showBesideTray(icon);
    const auto besideIcon = [&] {
        const QRect at = panel.geometry();
        return screen.contains(at) && at.bottom() < icon.top();
    };
    EXPECT_TRUE(besideIcon()) << panel.geometry().y() << "+" << panel.height();
    const int before = panel.content().sizeHint().height();

    // A message and the settings make the panel taller than the room above the icon.
    model->setMessage(
        QStringLiteral("Couldn\u2019t name 12 screenshots: the folder is read-only."));
    panel.content().setShowSettings(true);
    // Settled once the content has its full height; what the room lacks scrolls inside.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const int wanted = panel.content().sizeHint().height();
            return wanted > before && panel.content().height() == wanted && besideIcon();
        },
        3000))
        << panel.geometry().y() << "+" << panel.height() << " for "
        << panel.content().sizeHint().height() << ", " << before << " before";
}

namespace {

QString describe(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    const QString name = face != nullptr ? face->text(QAccessible::Name).trimmed() : QString();
    return QString::fromLatin1(w->metaObject()->className()) + " \"" + name + "\"";
}

// A stop a screen reader could only call "scroll area" or nothing at all.
bool unnamedStop(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    const auto* area = qobject_cast<QAbstractScrollArea*>(w->parentWidget());
    const bool scrollView = qobject_cast<QAbstractScrollArea*>(w) != nullptr ||
                            (area != nullptr && area->viewport() == w);
    return scrollView || face == nullptr || face->text(QAccessible::Name).trimmed().isEmpty();
}

// Whether every scroll view around `w` shows at least part of it.
bool inSight(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (auto* area = qobject_cast<QAbstractScrollArea*>(p)) {
            const QRect shown(w->mapTo(area->viewport(), QPoint(0, 0)), w->size());
            if (!area->viewport()->rect().intersects(shown)) {
                return false;
            }
        }
    }
    return true;
}

std::vector<QWidget*> tabStops(QWidget& window) {
    std::vector<QWidget*> stops;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        if (w->isVisibleTo(&window) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            stops.push_back(w);
        }
    }
    return stops;
}

} // namespace

TEST_F(PanelWindowTest, everyTabStopIsANamedControlAndNoneIsAScrollView) {
    writeHistory(3);
    model = makeModel();
    ui::PanelWindow panel(*model);
    panel.showBesideTray(QRect(500, 0, 24, 24));
    QApplication::setActiveWindow(&panel);
    QApplication::processEvents();
    ASSERT_TRUE(panel.isActiveWindow());
    ASSERT_TRUE(panel.content().recentList()->scrollArea()->isVisibleTo(&panel));

    for (const bool settings : {false, true}) {
        panel.content().setShowSettings(settings);
        QApplication::processEvents();
        QStringList all;
        QStringList bad;
        const auto stops = tabStops(panel);
        for (QWidget* w : stops) {
            all << describe(w);
            if (unnamedStop(w)) {
                bad << describe(w);
            }
        }
        ASSERT_GE(stops.size(), 3U) << settings;
        EXPECT_EQ(bad.join(", ").toStdString(), "")
            << settings << ": " << all.join(", ").toStdString();

        // Tab itself, twice round.
        bad.clear();
        for (std::size_t i = 0; i < 2 * stops.size(); ++i) {
            QTest::keyClick(panel.windowHandle(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr) << i;
            if (unnamedStop(focus)) {
                bad << describe(focus);
            }
        }
        EXPECT_EQ(bad.join(", ").toStdString(), "") << settings;
    }
}

TEST_F(PanelWindowTest, tabAndBacktabKeepTheFocusedControlInSight) {
    writeHistory(5);
    model = makeModel();
    model->setMessage(
        QStringLiteral("Couldn\u2019t name 12 screenshots: the folder is read-only."));
    struct Case {
        int iconTop;
        bool settings;
    };
    // At the top the settings page scrolls inside the panel; lower down, with less room, the
    // home page scrolls in the window.
    for (const Case c : {Case{0, true}, Case{350, false}}) {
        ui::PanelWindow panel(*model);
        panel.showBesideTray(QRect(700, c.iconTop, 24, 24));
        panel.content().setShowSettings(c.settings);
        QApplication::setActiveWindow(&panel);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return panel.content().height() == panel.content().sizeHint().height(); }, 3000));
        auto* outer = panel.findChild<QScrollArea*>(QString(), Qt::FindDirectChildrenOnly);
        ASSERT_NE(outer, nullptr);
        if (c.settings) {
            ASSERT_LT(panel.content().settingsScrollArea()->viewport()->height(),
                      panel.content().settingsScrollArea()->widget()->height());
        } else {
            ASSERT_LT(outer->viewport()->height(), panel.content().height());
        }
        const std::size_t stops = tabStops(panel).size();
        ASSERT_GE(stops, 6U);
        QStringList hidden;
        for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
            for (std::size_t i = 0; i < 2 * stops; ++i) {
                QTest::keyClick(panel.windowHandle(), key);
                QWidget* focus = QApplication::focusWidget();
                ASSERT_NE(focus, nullptr) << i;
                if (!inSight(focus)) {
                    hidden << describe(focus);
                }
            }
        }
        EXPECT_EQ(hidden.join(", ").toStdString(), "") << "icon at " << c.iconTop;
    }
}

TEST_F(PanelWindowTest, trayClicksToggleThePanelOnceAndTheDashboardRequestOpensIt) {
    ui::Shell shell(*model, [this] { return time; });
    // No tray on the offscreen platform: the panel opens as an ordinary window.
    shell.trayClicked();
    EXPECT_TRUE(shell.panel().isVisible());
    EXPECT_FALSE(shell.panel().isFrameless());
    time += 150ms; // the same double click
    shell.trayClicked();
    EXPECT_TRUE(shell.panel().isVisible());
    time += 1s;
    shell.trayClicked();
    EXPECT_FALSE(shell.panel().isVisible());

    time += 1s;
    shell.trayClicked();
    ASSERT_TRUE(shell.panel().isVisible());
    emit shell.panel().content().dismissRequested();
    EXPECT_FALSE(shell.panel().isVisible());

    shell.openDashboard("token-from-launcher");
    EXPECT_TRUE(shell.dashboard().isVisible());
    EXPECT_EQ(qgetenv("XDG_ACTIVATION_TOKEN"), "token-from-launcher");
    // Without a tray the dashboard offers the settings, which open the panel as a window.
    ASSERT_TRUE(shell.dashboard().sidebar()->settingsButton()->isVisibleTo(&shell.dashboard()));
    shell.dashboard().sidebar()->settingsButton()->click();
    EXPECT_TRUE(shell.panel().isVisible());
    shell.dashboard().close();
}

TEST_F(PanelWindowTest, quittingFromTheDashboardAsksOnlyWhileItIsOpen) {
    ui::Shell shell(*model, [this] { return time; });
    int quits = 0;
    int questions = 0;
    bool answer = false;
    shell.setQuitAction([&] { ++quits; });
    shell.setQuitQuestion([&] {
        ++questions;
        return answer;
    });
    ui::QuitPolicy::reset();

    shell.quitFromDashboard(); // not open: no question
    EXPECT_EQ(questions, 0);
    EXPECT_EQ(quits, 1);

    shell.openDashboard();
    shell.quitFromDashboard(); // "Just Close Window"
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(quits, 1);
    EXPECT_FALSE(shell.dashboard().isVisible());

    shell.openDashboard();
    answer = true;
    shell.quitFromDashboard();
    EXPECT_EQ(quits, 2);

    ui::QuitPolicy::systemIsQuitting(); // log-out and SIGTERM never ask
    shell.quitFromDashboard();
    EXPECT_EQ(questions, 2);
    EXPECT_EQ(quits, 3);
    ui::QuitPolicy::reset();
    ui::QuitPolicy::quitWithoutAsking(); // the panel's Quit
    shell.quitFromDashboard();
    EXPECT_EQ(questions, 2);
    ui::QuitPolicy::reset();
    shell.dashboard().close();
}

TEST_F(PanelWindowTest, aLateTrayTakesOverFromTheDashboardsSettingsButton) {
    ui::Shell shell(*model, [this] { return time; });
    shell.openDashboard(); // offscreen: no tray
    ui::CrayonButton* settings = shell.dashboard().sidebar()->settingsButton();
    EXPECT_FALSE(settings->isHidden());
    emit shell.tray().placedInTray();
    EXPECT_TRUE(settings->isHidden());
    shell.dashboard().close();

    EXPECT_TRUE(ui::Shell::quitExplanation(true).contains("in the tray"));
    EXPECT_FALSE(ui::Shell::quitExplanation(false).contains("tray"));
}

TEST_F(PanelWindowTest, trayHostThatAppearsLaterGetsTheIcon) {
    // A private bus stands in for the session's.
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("tray"));
        QDBusConnection host = QDBusConnection::connectToBus(address, QStringLiteral("host"));
        ASSERT_TRUE(bus.isConnected() && host.isConnected());

        ui::TrayItem tray(*model, bus);
        tray.start();
        // Offscreen there is no XEmbed tray, and no host yet: the icon waits.
        EXPECT_FALSE(tray.hasIcon());
        // The watcher comes first, its host later (a panel starting after the program).
        FakeWatcher watcher;
        ASSERT_TRUE(host.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                        QDBusConnection::ExportAllProperties |
                                            QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(host.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
        // The tray asks the watcher about its host once it sees the watcher.
        ASSERT_TRUE(QTest::qWaitFor([&] { return watcher.asked > 0 || tray.hasIcon(); }, 5000));
        EXPECT_FALSE(tray.hasIcon());
        watcher.host = true;
        emit watcher.StatusNotifierHostRegistered();
        ASSERT_TRUE(QTest::qWaitFor([&] { return tray.hasIcon(); }, 5000));
        EXPECT_EQ(tray.toolTip(), QStringLiteral("Quillmark"));

        // Busy while a file waits to be named, idle again once the queue is empty.
        QSignalSpy idle(model.get(), &app::AppModel::idle);
        model->enqueue({scratch.file("Screenshot 2026-03-14 at 09.41.22.png")});
        EXPECT_TRUE(tray.showsBusy());
        EXPECT_EQ(tray.toolTip(), QStringLiteral("Quillmark is naming screenshots"));
        ASSERT_TRUE(idle.wait(3000));
        EXPECT_FALSE(tray.showsBusy());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("tray"));
    QDBusConnection::disconnectFromBus(QStringLiteral("host"));
    daemon.kill();
    daemon.waitForFinished();
}

TEST_F(PanelWindowTest, withNeitherTrayYetTheIconWaitsForAnX11TrayToo) {
    // No session bus at all, so no StatusNotifier host can answer.
    ui::TrayItem tray(*model, QDBusConnection(QStringLiteral("no-bus")));
    bool xembedTray = false;
    tray.setXEmbedProbe([&] { return xembedTray; });
    tray.start();
    // Made now, the icon would tie the program to XEmbed before any tray is there.
    EXPECT_FALSE(tray.hasIcon());
    xembedTray = true; // a tray claims the screen's selection later
    EXPECT_TRUE(QTest::qWaitFor([&] { return tray.hasIcon(); }, 5000));
}

#include "PanelWindowTest.moc"

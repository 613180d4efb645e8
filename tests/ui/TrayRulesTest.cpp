// Tray clicks, panel placement, the login-launch decision and the tray pictures.
#include "shell/LoginLaunch.h"
#include "shell/Snapshot.h"
#include "tray/ActivationGate.h"
#include "tray/MenuBarIcon.h"
#include "tray/PanelPlacement.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace std::chrono_literals;
using ui::ActivationGate;
using Action = ActivationGate::Action;

namespace {

struct FakeClock {
    ActivationGate::Clock::time_point time{};
    ActivationGate::Now now() {
        return [this] { return time; };
    }
};

} // namespace

TEST(ActivationGate, oneClickReportedTwiceTogglesOnce) {
    FakeClock clock;
    ActivationGate gate(clock.now());
    EXPECT_EQ(gate.trayActivated(false), Action::show);
    // XEmbed's Trigger then DoubleClick for the same double click.
    clock.time += 200ms;
    EXPECT_EQ(gate.trayActivated(true), Action::ignore);
    clock.time += 500ms;
    EXPECT_EQ(gate.trayActivated(true), Action::hide);
    clock.time += 500ms;
    EXPECT_EQ(gate.trayActivated(false), Action::show);
}

TEST(ActivationGate, clickThatTookTheActivationAwayDoesNotReopen) {
    FakeClock clock;
    ActivationGate gate(clock.now());
    EXPECT_EQ(gate.trayActivated(false), Action::show);
    clock.time += 5s;
    // The press on the icon deactivates the panel first; its activation follows.
    gate.panelLostActivation();
    clock.time += 120ms;
    EXPECT_EQ(gate.trayActivated(false), Action::ignore);
    // Clicked away elsewhere, then the icon a while later: opens again.
    clock.time += 2s;
    gate.panelLostActivation();
    clock.time += 300ms;
    EXPECT_EQ(gate.trayActivated(false), Action::show);
}

TEST(PanelPlacement, besideTheIconOrAtThePointerAlwaysOnScreen) {
    const QRect screen(0, 0, 1920, 1080);
    const QRect available(0, 28, 1920, 1052); // a top bar
    const QSize panel(372, 600);
    const QPoint pointer(900, 500);

    // An icon near the top-right corner: below it, pushed left to stay on screen.
    const QPoint top =
        ui::PanelPlacement::position(panel, QRect(1880, 2, 24, 24), pointer, available);
    EXPECT_EQ(top, QPoint(1920 - 372, 26 + ui::PanelPlacement::gap));
    // An icon in a bottom panel: above it.
    const QPoint bottom =
        ui::PanelPlacement::position(panel, QRect(100, 1050, 24, 24), pointer, screen);
    EXPECT_EQ(bottom, QPoint(0, 1050 - ui::PanelPlacement::gap - 600));
    // Unknown icon: at the pointer, clamped.
    EXPECT_EQ(ui::PanelPlacement::position(panel, std::nullopt, QPoint(1900, 40), available),
              QPoint(1920 - 372, 40 + ui::PanelPlacement::gap));
    // Taller than the area: the top stays visible.
    EXPECT_EQ(ui::PanelPlacement::position(QSize(372, 2000), std::nullopt, pointer, available).y(),
              28);

    // The room a panel may fill is the icon's side of the area, so it never covers the icon.
    EXPECT_EQ(ui::PanelPlacement::room(QRect(1880, 2, 24, 24), pointer, available),
              QRect(QPoint(0, 26 + ui::PanelPlacement::gap), available.bottomRight()));
    EXPECT_EQ(ui::PanelPlacement::room(QRect(100, 1050, 24, 24), pointer, screen),
              QRect(QPoint(0, 0), QPoint(1919, 1050 - ui::PanelPlacement::gap - 1)));
    EXPECT_EQ(ui::PanelPlacement::room(std::nullopt, QPoint(10, 700), available).bottom(),
              700 - ui::PanelPlacement::gap - 1);
    // An icon geometry that leaves no sensible side: the whole area.
    EXPECT_EQ(ui::PanelPlacement::room(QRect(0, 100, 24, 900), pointer, available), available);
}

TEST(LoginLaunch, quietOnlyForTheSessionsOwnStart) {
    int asked = 0;
    auto enabled = [&asked] {
        ++asked;
        return true;
    };
    auto disabled = [&asked] {
        ++asked;
        return false;
    };
    EXPECT_TRUE(ui::LoginLaunch::staysQuiet(true, 5000.0, disabled));
    EXPECT_TRUE(ui::LoginLaunch::staysQuiet(false, 42.0, enabled));
    EXPECT_FALSE(ui::LoginLaunch::staysQuiet(false, 42.0, disabled));
    EXPECT_EQ(asked, 2);
    // Past the boot window, and with the uptime unknown, the entry is not even asked.
    EXPECT_FALSE(ui::LoginLaunch::staysQuiet(false, 180.0, enabled));
    EXPECT_FALSE(ui::LoginLaunch::staysQuiet(false, std::nullopt, enabled));
    EXPECT_EQ(asked, 2);
}

TEST(LoginLaunch, readsTheUptimeFile) {
    EXPECT_EQ(ui::LoginLaunch::parseUptime("179.99 301.10\n"), 179.99);
    EXPECT_EQ(ui::LoginLaunch::parseUptime(""), std::nullopt);
    EXPECT_EQ(ui::LoginLaunch::parseUptime("nan 1.0"), std::nullopt);
    EXPECT_EQ(ui::LoginLaunch::parseUptime("-3 1.0"), std::nullopt);
    EXPECT_EQ(ui::LoginLaunch::systemUptime("/nonexistent/uptime"), std::nullopt);
    const auto real = ui::LoginLaunch::systemUptime();
    ASSERT_TRUE(real.has_value());
    EXPECT_GT(*real, 0.0);
}

namespace {

QImage drawn(const std::function<void(QPainter&, const QRectF&)>& paint) {
    QImage image(72, 72, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, QRectF(0, 0, 72, 72));
    return image;
}

// Grid point (x, y) of the 18-point drawing in a 72-pixel image.
QColor at(const QImage& image, double x, double y) {
    return image.pixelColor(static_cast<int>(x * 4), static_cast<int>(y * 4));
}

} // namespace

TEST(MenuBarIcon, mascotIsOutlinedWhenIdleAndSolidWithAPunchedFaceWhenBusy) {
    const QImage idle =
        drawn([](QPainter& p, const QRectF& r) { ui::MenuBarIcon::paintMascot(p, r, false); });
    const QImage busy =
        drawn([](QPainter& p, const QRectF& r) { ui::MenuBarIcon::paintMascot(p, r, true); });
    // Left eye centre (6.75, 8.1); the cheek below it (6.0, 12.5); the body's top (9, 2.1).
    EXPECT_EQ(at(idle, 6.75, 8.1).alpha(), 255);
    EXPECT_EQ(at(idle, 6.0, 12.5).alpha(), 0);
    EXPECT_GT(at(idle, 9.0, 2.2).alpha(), 200);
    EXPECT_EQ(at(busy, 6.75, 8.1).alpha(), 0);
    EXPECT_EQ(at(busy, 6.0, 12.5).alpha(), 255);
    // Outside the seal nothing is drawn.
    EXPECT_EQ(at(busy, 0.5, 0.5).alpha(), 0);
}

TEST(MenuBarIcon, logoKeepsItsColoursAndTheBusyOneCarriesTheYellowDot) {
    QTemporaryDir folder;
    const QString logo = folder.filePath("logo.svg");
    QFile file(logo);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<svg xmlns="http://www.w3.org/2000/svg" width="18" height="18">)"
               R"(<rect width="18" height="18" fill="#00ff00"/></svg>)");
    file.close();
    const QImage idle = drawn(
        [&logo](QPainter& p, const QRectF& r) { ui::MenuBarIcon::paintLogo(p, r, false, logo); });
    const QImage busy = drawn(
        [&logo](QPainter& p, const QRectF& r) { ui::MenuBarIcon::paintLogo(p, r, true, logo); });
    const double dotX = 11.5 + 3.25;
    const double dotY = 3.25;
    EXPECT_EQ(at(idle, dotX, dotY).rgb(), QColor(0, 255, 0).rgb());
    EXPECT_EQ(at(busy, dotX, dotY).rgb(), QColor::fromRgbF(1.0F, 0.82F, 0.25F).rgb());
    // The rest of the logo is untouched by the dot.
    EXPECT_EQ(at(busy, 4.0, 12.0).rgb(), QColor(0, 255, 0).rgb());
}

TEST(MenuBarIcon, snapshotPicturesAreOnWhite) {
    for (const bool busy : {false, true}) {
        const QImage image = ui::Snapshot::menuBarImage(busy);
        EXPECT_EQ(image.size(), QSize(72, 72));
        EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
        // The busy seal's punched-out eye shows the white below, not a hole.
        EXPECT_EQ(image.pixelColor(27, 32).alpha(), 255);
    }
    EXPECT_NE(ui::MenuBarIcon::image(false, 32), ui::MenuBarIcon::image(true, 32));
}

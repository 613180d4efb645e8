#include "shell/Snapshot.h"

#include "AppModel.h"
#include "AppSettings.h"
#include "ModelChooser.h"
#include "TextIndexKeeper.h"
#include "art/DMGBackground.h"
#include "dashboard/DashboardView.h"
#include "panel/ThumbnailCache.h"
#include "shell/PanelContent.h"
#include "tray/MenuBarIcon.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdio>
#include <iostream>
#include <memory>

namespace ui {

namespace {

constexpr int kMenuBarSize = 72;

// The model as both modes see it: the user's history and settings, read and left as they
// are; no watching, no update checks, no notifications.
std::unique_ptr<app::AppModel> makeModel(std::shared_ptr<app::NamingService> namer = nullptr) {
    app::AppServices services;
    services.readOnly = true;
    services.startUpdater = false;
    services.runningAsApplication = false;
    services.namer = std::move(namer);
    return std::make_unique<app::AppModel>(std::move(services));
}

void lookForModelServers(app::AppModel& model) {
    app::ModelChooser& chooser = model.modelChooser();
    chooser.look();
    QEventLoop loop;
    QObject::connect(&chooser, &app::ModelChooser::changed, &loop, [&] {
        if (!chooser.looking()) {
            loop.quit();
        }
    });
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    if (chooser.looking()) {
        loop.exec();
    }
}

// Lets the widget lay out and draw, then waits for the thumbnails it asked for: a slow
// machine would otherwise show some cards still without their image.
void settle() {
    QEventLoop loop;
    QTimer::singleShot(Snapshot::settleMs, &loop, &QEventLoop::quit);
    loop.exec();
    QElapsedTimer waited;
    waited.start();
    ThumbnailCache& thumbnails = ThumbnailCache::shared();
    while (!thumbnails.isIdle() && waited.elapsed() < Snapshot::textWaitMs) {
        thumbnails.waitForDecodes();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

// Written whole or not at all. The reason on failure.
std::optional<QString> writePng(const QImage& image, const QString& path) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (!image.save(&file, "PNG")) {
        file.cancelWriting();
        return QStringLiteral("could not encode the picture");
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

bool writeReported(const QImage& image, const QString& fileName, const QString& folder,
                   std::ostream& errors) {
    if (const auto failure = writePng(image, QDir(folder).filePath(fileName))) {
        errors << "couldn't save " << fileName.toStdString() << ": " << failure->toStdString()
               << std::endl;
        return false;
    }
    return true;
}

QImage canvasFor(const QWidget& widget, QSize size) {
    const qreal ratio = widget.devicePixelRatioF();
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull()) {
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
    }
    return image;
}

// A word of some record's text that none of its names holds, so that a search for it finds the
// record by its text alone; the newest such record's first.
std::optional<QString> wordOnlyInText(const app::AppModel& model) {
    for (const auto& record : model.history()) {
        if (record.undone) {
            continue;
        }
        const auto text = model.textIndex().text(record.id);
        if (!text) {
            continue;
        }
        const QString names =
            QString::fromStdString(record.currentName + "\n" + record.originalName);
        static const QRegularExpression word(QStringLiteral("\\b\\p{L}{5,}\\b"));
        auto words = word.globalMatch(QString::fromStdString(*text));
        while (words.hasNext()) {
            const QString found = words.next().captured();
            if (!names.contains(found, Qt::CaseInsensitive)) {
                return found.toLower();
            }
        }
    }
    return std::nullopt;
}

// Waits a little for the images of the history to be read, so the search has text to find.
void waitForText(const app::AppModel& model) {
    QElapsedTimer waited;
    waited.start();
    while (model.textIndex().pending() > 0 && waited.elapsed() < Snapshot::textWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
}

void showOffScreen(QWidget& widget, QSize size) {
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.resize(size);
    widget.show();
    widget.resize(size);
}

} // namespace

QImage Snapshot::menuBarImage(bool busy) {
    QImage image(kMenuBarSize, kMenuBarSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    MenuBarIcon::paint(painter, QRectF(0, 0, kMenuBarSize, kMenuBarSize), busy);
    return image;
}

bool Snapshot::save(QWidget& widget, const QString& name, const QString& folder, std::ostream& out,
                    std::ostream& errors, std::optional<QSize> frame) {
    const QSize size = frame.value_or(widget.sizeHint());
    showOffScreen(widget, size);
    settle();
    QImage image = canvasFor(widget, size);
    if (image.isNull()) {
        return false;
    }
    widget.render(&image);
    widget.hide();
    const QString fileName = name + QStringLiteral(".png");
    if (!writeReported(image, fileName, folder, errors)) {
        return false;
    }
    out << "saved " << fileName.toStdString() << ' ' << size.width() << 'x' << size.height()
        << std::endl;
    return true;
}

int Snapshot::run(const QString& folder) {
    return run(folder, std::cout, std::cerr);
}

int Snapshot::run(const QString& folder, std::ostream& out, std::ostream& errors) {
    // A failure here shows as the writes below failing one by one.
    QDir().mkpath(folder);
    const auto model = makeModel();
    for (const bool busy : {false, true}) {
        writeReported(menuBarImage(busy),
                      busy ? QStringLiteral("menubar-busy.png")
                           : QStringLiteral("menubar-idle.png"),
                      folder, errors);
    }
    {
        PanelContent panel(*model, false);
        save(panel, QStringLiteral("panel"), folder, out, errors);
    }
    {
        // The chooser shows the model servers that answer here, as the user would see it.
        lookForModelServers(*model);
        PanelContent settings(*model, true);
        save(settings, QStringLiteral("settings"), folder, out, errors);
    }
    for (const int scale : {1, 2}) {
        writeReported(DMGBackground::render(scale),
                      scale == 1 ? QStringLiteral("dmg-background.png")
                                 : QStringLiteral("dmg-background@2x.png"),
                      folder, errors);
    }
    {
        // The dashboard only stays when asked for.
        DashboardView::requested() = true;
        DashboardView dashboard(*model);
        save(dashboard, QStringLiteral("dashboard"), folder, out, errors,
             QSize(DashboardView::defaultWidth, DashboardView::defaultHeight));
        waitForText(*model);
        if (const auto word = wordOnlyInText(*model)) {
            DashboardView::requested() = true;
            dashboard.setQuery(*word);
            save(dashboard, QStringLiteral("dashboard-text-search"), folder, out, errors,
                 QSize(DashboardView::defaultWidth, DashboardView::defaultHeight));
        }
    }
    return 0;
}

std::optional<double> Snapshot::timeDraws(QWidget& widget, QSize size, int runs) {
    showOffScreen(widget, size);
    QImage image = canvasFor(widget, size);
    if (image.isNull() || runs <= 0) {
        return std::nullopt;
    }
    widget.render(&image);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i) {
        widget.update();
        widget.render(&image);
    }
    const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6 / runs;
    widget.hide();
    return ms;
}

void Snapshot::printTiming(std::ostream& out, const char* name, std::optional<double> ms) {
    std::array<char, 128> line{};
    if (ms) {
        std::snprintf(line.data(), line.size(), "%s: %.1f ms per draw", name, *ms);
    } else {
        std::snprintf(line.data(), line.size(), "%s: could not be drawn", name);
    }
    out << line.data() << std::endl;
}

int Snapshot::bench() {
    return bench(std::cout);
}

int Snapshot::bench(std::ostream& out) {
    auto namer = std::make_shared<app::EngineNamingService>(
        app::AppSettings(app::AppSettings::defaultFilePath(), app::AppSettings::Access::readOnly)
            .modelConfig());
    const auto model = makeModel(namer);

    QElapsedTimer timer;
    timer.start();
    [[maybe_unused]] const auto engine = namer->engine();
    std::array<char, 64> line{};
    std::snprintf(line.data(), line.size(), "engine check: %.1f ms",
                  static_cast<double>(timer.nsecsElapsed()) / 1e6);
    out << line.data() << std::endl;

    {
        PanelContent panel(*model, false);
        printTiming(out, "panel", timeDraws(panel, QSize(372, 680)));
    }
    {
        PanelContent settings(*model, true);
        printTiming(out, "settings", timeDraws(settings, QSize(372, 640)));
    }
    {
        DashboardView::requested() = true;
        DashboardView dashboard(*model);
        printTiming(
            out, "dashboard",
            timeDraws(dashboard, QSize(DashboardView::defaultWidth, DashboardView::defaultHeight)));
    }
    return 0;
}

} // namespace ui

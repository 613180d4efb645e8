// Times the dashboard: drawing with 60 and 500 records, one keystroke in the search, scrolling
// the 500-record grid with thumbnails cached and cold (with the CPU of the whole cold scroll and
// how long decoding goes on after it), and the memory after scrolling to the end.
#include "AppModel.h"
#include "Summary.h"
#include "dashboard/CardGrid.h"
#include "dashboard/DashboardView.h"
#include "dashboard/SearchBox.h"
#include "dashboard/TopBar.h"
#include "files/HistoryStore.h"
#include "panel/ThumbnailCache.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <utility>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kWords[] = {"Flight",  "Lisbon", "Booking", "Dentist", "Receipt", "Chart",    "Invoice",
                        "Meeting", "Notes",  "Error",   "Build",   "Wifi",    "Password", "Sales"};

// CPU time of the GUI thread: on a loaded machine wall time mostly measures other programs.
double threadMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// CPU time of the whole process, the thumbnail decoders included.
double processMillis() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Wall and GUI-thread CPU milliseconds of one piece of work.
struct Timing {
    double wall = 0;
    double cpu = 0;
};

template <typename Work> Timing timed(Work&& work) {
    const auto start = Clock::now();
    const double cpu = threadMillis();
    work();
    return {millisSince(start), threadMillis() - cpu};
}

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLong();
        }
    }
    return -1;
}

// `count` screenshots with text on disk and their records, newest first.
void makeHistory(const fs::path& root, int count) {
    const fs::path folder = root / "Screenshots";
    fs::create_directories(folder);
    std::vector<engine::RenameRecord> history;
    for (int i = 0; i < count; ++i) {
        const std::string name =
            std::string(kWords[i % 14]) + " " + kWords[(i * 5 + 3) % 14] + " " + std::to_string(i);
        QImage image(1440, 900, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((i * 37) % 360, 70, 235));
        QPainter painter(&image);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 64));
        painter.drawText(80, 300, QString::fromStdString(name));
        painter.end();
        image.save(QString::fromStdString((folder / (name + ".jpg")).string()), "JPG", 85);
        engine::RenameRecord record;
        record.id = engine::RenameRecord::makeId();
        record.folderPath = folder.string();
        record.originalName = "Screenshot From 2026-03-14 09-41-" + std::to_string(i) + ".jpg";
        record.currentName = name + ".jpg";
        record.suggestedName = name;
        record.date = std::chrono::system_clock::now() - std::chrono::minutes(37 * i);
        record.undone = i % 11 == 5;
        if (record.undone) {
            fs::rename(folder / record.currentName, folder / record.originalName);
        }
        history.push_back(record);
    }
    engine::HistoryStore("Quillmark", root / "data").save(history);
}

std::unique_ptr<app::AppModel> makeModel(const fs::path& root) {
    const QString conf = QString::fromStdString((root / "Quillmark.conf").string());
    QSettings settings(conf, QSettings::IniFormat);
    settings.setValue("screenshotFolder", QString::fromStdString((root / "Screenshots").string()));
    settings.setValue("autoName", false);
    settings.sync();
    app::AppServices services;
    services.settingsFile = conf;
    services.dataFolder = root / "data";
    services.homeFolder = root;
    services.autostartFolder = root / "autostart";
    // The text index reads every image once in the background, which is no part of drawing
    // or scrolling the grid and would be counted in its CPU.
    services.readText = [](const fs::path&) { return std::vector<std::string>{}; };
    return std::make_unique<app::AppModel>(services);
}

void settle() {
    for (int i = 0; i < 3; ++i) {
        ui::ThumbnailCache::shared().waitForDecodes();
        QCoreApplication::processEvents();
    }
}

Timing meanDraw(QWidget& widget, QImage& target, int runs) {
    QPainter warm(&target);
    widget.render(&warm);
    warm.end();
    const Timing total = timed([&] {
        for (int i = 0; i < runs; ++i) {
            QPainter painter(&target);
            widget.render(&painter);
        }
    });
    return {total.wall / runs, total.cpu / runs};
}

// Scrolls the grid from top to bottom in 40-point steps, drawing each frame: into `target`,
// the whole window, or without one as the window repaints a scroll, the grid's viewport with
// the paper under it.
std::pair<Summary, Summary> scrollFrames(ui::DashboardView& view, QImage* target,
                                         bool waitForThumbnails) {
    QScrollBar* bar = view.grid()->verticalScrollBar();
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int y = 0; y <= bar->maximum(); y += 40) {
        const Timing frame = timed([&] {
            bar->setValue(y);
            if (target != nullptr) {
                QPainter painter(target);
                view.render(&painter);
            } else {
                view.grid()->viewport()->repaint();
            }
        });
        wall.push_back(frame.wall);
        cpu.push_back(frame.cpu);
        if (waitForThumbnails) {
            settle();
        } else {
            QCoreApplication::processEvents();
        }
    }
    return {Summary::of(wall), Summary::of(cpu)};
}

void run(int count) {
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdString());
    makeHistory(root, count);
    auto model = makeModel(root);
    ui::DashboardView view(*model);
    ui::DashboardView::requested() = true;
    view.resize(1040, 700);
    view.show();
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);

    // Cold: the first rows decode while the grid scrolls; frames never wait for them. What
    // is still decoding after the last frame is work for cards no longer shown. With
    // QUILLMARK_BENCH_WHOLE_WINDOW set, each step draws the whole window, more than a scroll
    // repaints.
    const bool whole = qEnvironmentVariableIsSet("QUILLMARK_BENCH_WHOLE_WINDOW");
    const double coldStart = processMillis();
    const auto [coldWall, coldCpu] = scrollFrames(view, whole ? &target : nullptr, false);
    const auto stopped = Clock::now();
    settle();
    const double tail = millisSince(stopped);
    const double coldTotal = processMillis() - coldStart;
    view.grid()->verticalScrollBar()->setValue(0);
    settle();
    const auto [warmWall, warmCpu] = scrollFrames(view, nullptr, true);
    const long rss = residentKiB();
    view.grid()->verticalScrollBar()->setValue(0);
    settle();
    const int runs = qEnvironmentVariableIntValue("QUILLMARK_BENCH_RUNS") > 0
                         ? qEnvironmentVariableIntValue("QUILLMARK_BENCH_RUNS")
                         : 15;
    const Timing draw = meanDraw(view, target, runs);
    std::printf("dashboard, %zu records, 1040 x 700, thumbnails cached: %.1f ms per draw "
                "(%.1f ms CPU)\n",
                model->history().size(), draw.wall, draw.cpu);
    std::printf("  scroll to the end, cold, %s: %.2f s CPU in all (all threads, decoding "
                "included); decoding went on %.2f s after the last frame\n",
                whole ? "whole window drawn at each step" : "repainted as the window does",
                coldTotal / 1000.0, tail / 1000.0);

    std::printf("  scroll, thumbnails cached: frame median %.1f ms, worst %.1f ms "
                "(CPU median %.1f, worst %.1f)\n",
                warmWall.median, warmWall.high, warmCpu.median, warmCpu.high);
    std::printf(
        "  scroll, cold: frame median %.1f ms, worst %.1f ms (CPU median %.1f, worst %.1f)\n",
        coldWall.median, coldWall.high, coldCpu.median, coldCpu.high);

    QLineEdit* field = view.topBar()->searchBox()->field();
    field->setFocus();
    std::vector<double> keysWall;
    std::vector<double> keysCpu;
    for (const char* letter : {"c", "h", "a", "r", "t"}) {
        const Timing key = timed([&] {
            QTest::keyClicks(field, QString::fromLatin1(letter));
            QPainter painter(&target);
            view.render(&painter);
        });
        keysWall.push_back(key.wall);
        keysCpu.push_back(key.cpu);
    }
    const Summary typedWall = Summary::of(keysWall);
    const Summary typedCpu = Summary::of(keysCpu);
    std::printf("  one keystroke in the search to a drawn grid: median %.1f ms, worst %.1f ms "
                "(CPU median %.1f, worst %.1f)\n",
                typedWall.median, typedWall.high, typedCpu.median, typedCpu.high);
    std::printf("  resident memory after scrolling to the end: %.1f MB (%d thumbnails cached)\n",
                static_cast<double>(rss) / 1024.0, ui::ThumbnailCache::shared().count());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the program does: decoded images go back to the system when freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication application(argc, argv);
    // Record counts to run; by default the two the dashboard is measured at.
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) {
        counts.push_back(std::atoi(argv[i]));
    }
    if (counts.empty()) {
        counts = {60, 500};
    }
    for (int count : counts) {
        // The history holds no more; a larger count would measure fewer records than it says.
        if (count < 0 || static_cast<std::size_t>(count) > engine::HistoryStore::limit) {
            std::fprintf(stderr, "the history holds at most %zu records, not %d\n",
                         engine::HistoryStore::limit, count);
            return 1;
        }
    }
    for (int count : counts) {
        run(count);
    }
    return 0;
}

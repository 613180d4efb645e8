// Times the history rows: drawing 30 rows with thumbnails cached and cold, and decoding their
// thumbnails from real screenshot-sized files.
#include "AppModel.h"
#include "Summary.h"
#include "files/HistoryStore.h"
#include "panel/RecordRow.h"
#include "panel/Thumbnail.h"
#include "panel/ThumbnailCache.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int rowCount = 30;
constexpr int width = 336;
constexpr int step = ui::RecordRow::rowHeight + 7;

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of this thread: on a loaded machine wall time mostly measures the other programs.
double threadMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

class NoNamer : public app::NamingService {
public:
    engine::Namer::Engine engine() const override {
        return {engine::Namer::Engine::Kind::textOnly, "bench"};
    }
    std::optional<engine::Namer::Result>
    suggestName(const fs::path&, const std::vector<engine::Correction>&) const override {
        return std::nullopt;
    }
    void warmUp() const override {}
};

// Screenshot-sized pictures with some structure, so decoding does real work.
void writeScreenshots(const fs::path& folder) {
    for (int i = 0; i < rowCount; ++i) {
        QImage image(1440, 900, QImage::Format_RGB32);
        image.fill(QColor::fromHsv((i * 37) % 360, 60, 240));
        QPainter painter(&image);
        for (int y = 40; y < 900; y += 60) {
            painter.fillRect(80, y, 900 - (y % 300), 24, QColor(40, 40, 48));
        }
        painter.end();
        image.save(QString::fromStdString(
            (folder / ("Meeting notes " + std::to_string(i) + ".png")).string()));
    }
}

std::vector<engine::RenameRecord> makeHistory(const fs::path& folder) {
    std::vector<engine::RenameRecord> records;
    for (int i = 0; i < rowCount; ++i) {
        engine::RenameRecord record;
        record.id = engine::RenameRecord::makeId();
        record.folderPath = folder.string();
        record.originalName = "Screenshot From 2026-03-14 09-41-" + std::to_string(i) + ".png";
        record.currentName = "Meeting notes " + std::to_string(i) + ".png";
        record.suggestedName = "Meeting notes";
        record.source =
            i % 3 == 0 ? engine::Namer::Source::heuristic : engine::Namer::Source::vision;
        record.date = std::chrono::system_clock::now();
        records.push_back(record);
    }
    return records;
}

struct Renders {
    Summary wall;
    Summary cpu;
};

Renders timeRenders(QWidget& column, qreal dpr, int runs) {
    QImage target(qRound(width * dpr), qRound(column.height() * dpr),
                  QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(dpr);
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        target.fill(Qt::transparent);
        const auto start = Clock::now();
        const double cpuStart = threadMillis();
        column.render(&target);
        cpu.push_back(threadMillis() - cpuStart);
        wall.push_back(millisSince(start));
    }
    return {Summary::of(wall), Summary::of(cpu)};
}

void print(const char* what, const Renders& renders) {
    std::printf("%-40s wall median %.3f ms (%.3f to %.3f), cpu median %.3f ms (min %.3f)\n", what,
                renders.wall.median, renders.wall.low, renders.wall.high, renders.cpu.median,
                renders.cpu.low);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir home;
    const fs::path root = home.path().toStdString();
    const fs::path pictures = root / "Pictures";
    fs::create_directories(pictures);
    writeScreenshots(pictures);
    engine::HistoryStore("Quillmark", root / "data").save(makeHistory(pictures));

    app::AppServices services;
    services.settingsFile = QString::fromStdString((root / "Quillmark.conf").string());
    services.dataFolder = root / "data";
    services.homeFolder = root;
    services.autostartFolder = root / "autostart";
    services.namer = std::make_shared<NoNamer>();
    app::AppModel model(services);

    QWidget column;
    column.resize(width, rowCount * step);
    std::vector<ui::RecordRow*> rows;
    int y = 0;
    for (const auto& record : model.activeRecords()) {
        auto* row = new ui::RecordRow(model, record, &column);
        row->setGeometry(0, y, width, ui::RecordRow::rowHeight);
        rows.push_back(row);
        y += step;
    }
    column.show();

    // Cold: every thumbnail a miss, so each row draws the placeholder and asks for a decode.
    ui::ThumbnailCache& cache = ui::ThumbnailCache::shared();
    print("30 rows, first draw, thumbnails cold", timeRenders(column, 1, 1));
    const auto decodeStart = Clock::now();
    const bool decoded = QTest::qWaitFor(
        [&] {
            return std::all_of(rows.begin(), rows.end(),
                               [](ui::RecordRow* row) { return row->thumbnail()->hasImage(); });
        },
        60000);
    std::printf("%-44s %.1f ms%s\n", "30 thumbnails decoded (1440 x 900 PNG)",
                millisSince(decodeStart), decoded ? "" : " (timed out)");
    std::printf("%-44s %d\n", "cache entries", cache.count());

    print("30 rows, first draw with thumbnails", timeRenders(column, 1, 1));
    print("30 rows, thumbnails cached, dpr 1", timeRenders(column, 1, 200));
    print("30 rows, first draw at dpr 2", timeRenders(column, 2, 1));
    print("30 rows, thumbnails cached, dpr 2", timeRenders(column, 2, 200));

    QWidget viewport;
    viewport.resize(width, 290);
    column.setParent(&viewport);
    column.move(0, 0);
    viewport.show();
    print("visible part (290 px), dpr 1", timeRenders(viewport, 1, 200));
    column.setParent(nullptr); // the viewport must not delete it
    return 0;
}

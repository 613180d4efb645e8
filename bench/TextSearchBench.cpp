// Times the text search: one keystroke in the dashboard's search to a drawn grid with 500
// records of screenshot text in the index, against the same grid whose index holds no text;
// then the background reading of a history's images into the index (time, peak memory) and
// how much longer naming a file takes while it runs.
//
// Usage: quillmark-textsearch-bench [RECORDS [READ]]: RECORDS (500) in the search, READ (the
// same) images read in the background.
#include "AppModel.h"
#include "Summary.h"
#include "TextIndexKeeper.h"
#include "dashboard/DashboardView.h"
#include "dashboard/SearchBox.h"
#include "dashboard/TopBar.h"
#include "files/HistoryStore.h"
#include "index/TextIndex.h"
#include "naming/Namer.h"
#include "panel/ThumbnailCache.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <malloc.h>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const char* kNameWords[] = {"Flight", "Lisbon",  "Booking", "Dentist", "Receipt",
                            "Chart",  "Invoice", "Meeting", "Notes",   "Error",
                            "Build",  "Wifi",    "Sales",   "Calendar"};

// Words of the kind screenshots show: menus, settings, messages, code and numbers.
const char* kTextWords[] = {
    "File",     "Edit",     "View",       "Window",    "Help",     "Settings", "Network",
    "password", "Connect",  "Cancel",     "Save",      "changes",  "before",   "closing",
    "error",    "failed",   "connection", "refused",   "port",     "server",   "localhost",
    "Total",    "amount",   "due",        "invoice",   "customer", "order",    "shipped",
    "Monday",   "Tuesday",  "meeting",    "agenda",    "project",  "deadline", "review",
    "build",    "passed",   "warning",    "function",  "return",   "const",    "value",
    "the",      "and",      "for",        "with",      "your",     "this",     "from",
    "account",  "security", "update",     "available", "download", "install",  "restart",
    "chart",    "revenue",  "quarter",    "growth",    "percent",  "users",    "active",
    "message",  "reply",    "forward",    "inbox",     "archive",  "delete",   "search"};

double threadMillis() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double millisSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field)) {
            return line.mid(static_cast<qsizetype>(std::strlen(field)))
                .trimmed()
                .split(' ')
                .front()
                .toLong();
        }
    }
    return -1;
}

// About 2 KB of text in lines of up to 60 characters, the same for the same seed.
std::vector<std::string> screenText(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::string> lines;
    std::size_t total = 0;
    while (total < 2000) {
        std::string line;
        while (line.size() < 45) {
            if (!line.empty()) {
                line += ' ';
            }
            if (random() % 9 == 0) {
                line += std::to_string(random() % 10000);
            } else {
                line += kTextWords[random() % std::size(kTextWords)];
            }
        }
        total += line.size() + 1;
        lines.push_back(std::move(line));
    }
    return lines;
}

struct Folder {
    fs::path root;
    std::vector<engine::RenameRecord> history;
    std::vector<std::vector<std::string>> texts;
};

// `count` screenshots on disk showing their text, their records newest first, and the history
// saved.
Folder makeFolder(const fs::path& root, int count) {
    Folder folder{root, {}, {}};
    const fs::path shots = root / "Screenshots";
    fs::create_directories(shots);
    for (int i = 0; i < count; ++i) {
        const std::string name = std::string(kNameWords[i % 14]) + " " +
                                 kNameWords[(i * 5 + 3) % 14] + " " + std::to_string(i);
        auto text = screenText(static_cast<unsigned>(i));
        QImage image(1440, 900, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 15));
        painter.setPen(Qt::black);
        int y = 40;
        for (const auto& line : text) {
            painter.drawText(40, y, QString::fromStdString(line));
            y += 24;
        }
        painter.end();
        image.save(QString::fromStdString((shots / (name + ".png")).string()), "PNG");
        engine::RenameRecord record;
        record.id = engine::RenameRecord::makeId();
        record.folderPath = shots.string();
        record.originalName = "Screenshot From 2026-03-14 09-41-" + std::to_string(i) + ".png";
        record.currentName = name + ".png";
        record.suggestedName = name;
        record.date = std::chrono::system_clock::now() - std::chrono::minutes(37 * i);
        folder.history.push_back(record);
        folder.texts.push_back(std::move(text));
    }
    engine::HistoryStore("Quillmark", root / "data").save(folder.history);
    QSettings settings(QString::fromStdString((root / "Quillmark.conf").string()),
                       QSettings::IniFormat);
    settings.setValue("screenshotFolder", QString::fromStdString(shots.string()));
    settings.setValue("autoName", false);
    return folder;
}

// The index as the background reading leaves it: every record with its text, or with none.
void fillIndex(const Folder& folder, bool withText) {
    engine::TextIndex index(folder.root / "data" / "Quillmark" / engine::TextIndex::fileName);
    index.open();
    for (std::size_t i = 0; i < folder.history.size(); ++i) {
        const auto& record = folder.history[i];
        index.put({record.id, record.presentPath().string(),
                   record.currentName + "\n" + record.originalName,
                   std::chrono::duration_cast<std::chrono::seconds>(record.date.time_since_epoch())
                       .count()});
        index.setText(record.id, withText ? folder.texts[i] : std::vector<std::string>{});
    }
}

std::unique_ptr<app::AppModel> makeModel(const fs::path& root, app::AppServices services = {}) {
    services.settingsFile = QString::fromStdString((root / "Quillmark.conf").string());
    services.dataFolder = root / "data";
    services.homeFolder = root;
    services.autostartFolder = root / "autostart";
    return std::make_unique<app::AppModel>(services);
}

void settle() {
    for (int i = 0; i < 3; ++i) {
        ui::ThumbnailCache::shared().waitForDecodes();
        QCoreApplication::processEvents();
    }
}

// Types `word` letter by letter, drawing the window after each; wall and CPU per keystroke.
std::pair<Summary, Summary> typeInto(ui::DashboardView& view, const char* word) {
    QImage target(view.size(), QImage::Format_ARGB32_Premultiplied);
    QLineEdit* field = view.topBar()->searchBox()->field();
    field->clear();
    settle();
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const char* letter = word; *letter != '\0'; ++letter) {
        const auto start = Clock::now();
        const double cpuStart = threadMillis();
        QTest::keyClicks(field, QString(QLatin1Char(*letter)));
        QPainter painter(&target);
        view.render(&painter);
        painter.end();
        wall.push_back(millisSince(start));
        cpu.push_back(threadMillis() - cpuStart);
    }
    return {Summary::of(wall), Summary::of(cpu)};
}

void keystrokes(int count) {
    for (const bool withText : {false, true}) {
        QTemporaryDir dir;
        const fs::path root(dir.path().toStdString());
        const Folder folder = makeFolder(root, count);
        fillIndex(folder, withText);
        auto model = makeModel(root);
        ui::DashboardView view(*model);
        ui::DashboardView::requested() = true;
        view.resize(1040, 700);
        view.show();
        settle();
        std::vector<double> wall;
        std::vector<double> cpu;
        // Warm once, then the words measured.
        typeInto(view, "chart");
        for (const char* word : {"chart", "password", "port 80", "zzzq"}) {
            const auto [w, c] = typeInto(view, word);
            wall.push_back(w.median);
            wall.push_back(w.high);
            cpu.push_back(c.median);
            cpu.push_back(c.high);
            std::printf("  %-22s \"%s\": keystroke median %.1f ms, worst %.1f ms (CPU median "
                        "%.1f, worst %.1f), %zu cards\n",
                        withText ? "names and 2 KB texts" : "names, no text", word, w.median,
                        w.high, c.median, c.high, view.records().size());
        }
    }
}

// At the history's limit every rename drops the oldest record from the index: what that costs
// the main thread, and what merging the index once afterwards costs.
void pruning(int count) {
    QTemporaryDir dir;
    engine::TextIndex index(fs::path(dir.path().toStdString()) / engine::TextIndex::fileName);
    index.open();
    std::deque<std::string> ids;
    auto add = [&](int i) {
        const std::string id = "record-" + std::to_string(i);
        index.put({id, "/shots/Shot " + std::to_string(i) + ".png", "Shot.png", i});
        index.setText(id, screenText(static_cast<unsigned>(i)));
        ids.push_back(id);
    };
    for (int i = 0; i < count; ++i) {
        add(i);
    }
    index.compact();
    std::vector<double> removals;
    std::vector<double> compactions;
    for (int i = count; i < count + 20; ++i) {
        add(i);
        auto start = Clock::now();
        index.remove({ids.front()});
        removals.push_back(millisSince(start));
        ids.pop_front();
        start = Clock::now();
        index.compact();
        compactions.push_back(millisSince(start));
    }
    const Summary removal = Summary::of(removals);
    const Summary compaction = Summary::of(compactions);
    std::printf("renaming at the limit of %d records: dropping the oldest takes median %.1f ms, "
                "worst %.1f ms; merging the index after it median %.1f ms, worst %.1f ms\n",
                count, removal.median, removal.high, compaction.median, compaction.high);
}

// Naming one file as the naming thread does (reading capped for the heuristic, no model).
double nameOnce(const engine::Namer& namer, const fs::path& file) {
    const auto start = Clock::now();
    (void)namer.suggestName(file, {});
    return millisSince(start);
}

// Names the sample files once each; the milliseconds of each naming.
std::vector<double> nameSamples(const engine::Namer& namer, const Folder& samples) {
    std::vector<double> times;
    for (const auto& record : samples.history) {
        times.push_back(nameOnce(namer, record.presentPath()));
    }
    return times;
}

void backgroundReading(int count) {
    QTemporaryDir dir;
    const fs::path root(dir.path().toStdString());
    std::printf("background reading of %d images with about 2 KB of text each:\n", count);
    const Folder folder = makeFolder(root, count);
    QTemporaryDir samplesDir;
    const Folder samples = makeFolder(fs::path(samplesDir.path().toStdString()), 4);
    engine::ModelConfig offline;
    offline.endpoint = "http://127.0.0.1:9"; // nothing listens: text-only naming
    const engine::Namer namer(offline);
    // Namings with nothing else of ours running, before and after the reading, against
    // namings while it runs, one every second as screenshots come.
    std::vector<double> quiet = nameSamples(namer, samples);

    const long rssBefore = statusKiB("VmRSS:");
    const auto start = Clock::now();
    auto model = makeModel(root);
    std::atomic<bool> done{false};
    std::vector<double> busy;
    std::thread naming([&] {
        while (!done) {
            for (const auto& record : samples.history) {
                std::this_thread::sleep_for(std::chrono::seconds(1));
                if (done) {
                    break;
                }
                busy.push_back(nameOnce(namer, record.presentPath()));
            }
        }
    });
    // Waits in the event loop as the program does; a polling loop would take a core of its own
    // from the namings it measures.
    long peak = statusKiB("VmRSS:");
    QEventLoop loop;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, &loop, [&] {
        peak = std::max(peak, statusKiB("VmRSS:"));
        if (model->textIndex().pending() == 0) {
            loop.quit();
        }
    });
    QObject::connect(&model->textIndex(), &app::TextIndexKeeper::settled, &loop, &QEventLoop::quit);
    sample.start(100);
    if (model->textIndex().pending() > 0) {
        loop.exec();
    }
    const double seconds = millisSince(start) / 1000;
    done = true;
    naming.join();
    for (double t : nameSamples(namer, samples)) {
        quiet.push_back(t);
    }
    const Summary alone = Summary::of(quiet);
    const Summary during = Summary::of(busy);
    std::printf("  %d images read in %.1f s (%.2f s each); resident memory %.1f MB before, "
                "peak %.1f MB while reading\n",
                count, seconds, seconds / count, static_cast<double>(rssBefore) / 1024,
                static_cast<double>(peak) / 1024);
    std::printf("  naming one file with no reading: median %.0f ms, worst %.0f ms (%zu namings)\n",
                alone.median, alone.high, quiet.size());
    std::printf("  naming one file while reading: median %.0f ms, worst %.0f ms (%zu namings); "
                "median delay %+.0f ms, worst %+.0f ms\n",
                during.median, during.high, busy.size(), during.median - alone.median,
                during.high - alone.high);
}

} // namespace

int main(int argc, char** argv) {
    // Line by line, so a run cut short still shows what it measured.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("OMP_THREAD_LIMIT", "1");
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 500;
    const int toRead = argc > 2 ? std::atoi(argv[2]) : count;
    if (count > 0) {
        std::printf("dashboard search, %d records, 1040 x 700:\n", count);
        keystrokes(count);
        pruning(count);
    }
    if (toRead > 0) {
        backgroundReading(toRead);
    }
    return 0;
}

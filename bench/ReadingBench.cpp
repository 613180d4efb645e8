// Times TextReader::read, with and without a line cap, and `quillmark --suggest` against the
// tesseract command on generated text screenshots, and checks what each of them read.
#include "engine/ReadingTestImages.h"
#include "reading/TextReader.h"
#include "reading/VipsRuntime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <vips/vips.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A light desktop window: title bar, sidebar, heading, paragraphs; drawn at 1x or 2x.
class Screen {
public:
    Screen(int scale, std::uint8_t background)
        : scale_(scale), width_(1440 * scale), height_(900 * scale),
          pixels_(static_cast<std::size_t>(width_) * height_ * 3, background) {}

    void fill(int x, int y, int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        x *= scale_, y *= scale_, w *= scale_, h *= scale_;
        for (int j = std::max(0, y); j < std::min(height_, y + h); ++j) {
            for (int i = std::max(0, x); i < std::min(width_, x + w); ++i) {
                std::uint8_t* p = &pixels_[(static_cast<std::size_t>(j) * width_ + i) * 3];
                p[0] = r, p[1] = g, p[2] = b;
            }
        }
    }

    // Draws wrapped text in logical pixels; returns its height in logical pixels.
    int text(const std::string& text, int x, int y, const std::string& font, int wrap,
             std::uint8_t ink) {
        drawn_ += text + "\n";
        VipsImage* mask = nullptr;
        if (vips_text(&mask, text.c_str(), "font", font.c_str(), "width", wrap * scale_, "dpi",
                      72 * scale_, nullptr) != 0) {
            return 0;
        }
        return reading_test::inkMask(mask, pixels_, width_, height_, x * scale_, y * scale_, ink) /
               scale_;
    }

    bool save(const std::filesystem::path& path) const {
        VipsImage* image = vips_image_new_from_memory(pixels_.data(), pixels_.size(), width_,
                                                      height_, 3, VIPS_FORMAT_UCHAR);
        image->Type = VIPS_INTERPRETATION_sRGB;
        const bool saved = vips_image_write_to_file(image, path.c_str(), nullptr) == 0;
        g_object_unref(image);
        return saved;
    }

    const std::string& drawn() const { return drawn_; }

private:
    std::string drawn_;
    int scale_;
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

std::string sentence(std::mt19937& random, int words) {
    static const std::vector<std::string> vocabulary{
        "the",          "budget",   "review",    "for",      "quarterly", "meeting", "notes",
        "project",      "timeline", "and",       "customer", "feedback",  "release", "schedule",
        "design",       "update",   "team",      "with",     "report",    "flight",  "booking",
        "invoice",      "payment",  "account",   "settings", "download",  "server",  "network",
        "message",      "calendar", "dashboard", "analysis", "summary",   "details", "order",
        "shipping",     "address",  "confirmed", "pending",  "weekly",    "sales",   "growth",
        "marketing",    "plan",     "draft",     "document", "travel",    "hotel",   "reservation",
        "Lisbon",       "Berlin",   "March",     "Monday",   "total",     "amount",  "price",
        "subscription", "renewal",  "support",   "ticket",   "resolved",  "version", "changes",
        "performance",  "results",  "overview"};
    std::string s;
    for (int i = 0; i < words; ++i) {
        std::string word = vocabulary[random() % vocabulary.size()];
        if (i == 0) {
            word[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(word[0])));
        }
        s += (i ? " " : "") + word;
    }
    return s + ".";
}

struct Theme {
    std::uint8_t background, titleBar, sidebar, title, sidebarInk, heading, body;
};
const Theme lightTheme{250, 232, 240, 40, 50, 20, 35};
const Theme darkTheme{30, 44, 37, 220, 200, 240, 215};

// A desktop window: title bar, sidebar, heading, paragraphs (two columns of text); drawn at 1x
// or 2x. Returns the text drawn.
std::string drawScreenshot(const std::filesystem::path& path, int scale, bool dense,
                           const Theme& theme, unsigned seed) {
    std::mt19937 random(seed);
    Screen screen(scale, theme.background);
    screen.fill(0, 0, 1440, 38, theme.titleBar, theme.titleBar, theme.titleBar);
    screen.fill(14, 13, 12, 12, 236, 95, 90);
    screen.fill(34, 13, 12, 12, 245, 190, 80);
    screen.fill(54, 13, 12, 12, 100, 200, 90);
    screen.text("Quarterly Budget Review - Notes", 560, 10, "DejaVu Sans Bold 13", 600,
                theme.title);
    screen.fill(0, 38, 240, 862, theme.sidebar, theme.sidebar, theme.sidebar);
    int y = 60;
    for (int i = 0; i < (dense ? 18 : 7) && y < 860; ++i) {
        y += screen.text(sentence(random, 2 + static_cast<int>(random() % 2)), 20, y,
                         "DejaVu Sans 13", 200, theme.sidebarInk) +
             14;
    }
    y = 70;
    y += screen.text(sentence(random, 5), 280, y, "DejaVu Sans Bold 24", 1100, theme.heading) + 20;
    const int paragraphs = dense ? 12 : 2;
    for (int p = 0; p < paragraphs && y < 840; ++p) {
        std::string paragraph;
        for (int s = 0; s < (dense ? 6 : 2); ++s) {
            paragraph += sentence(random, 6 + static_cast<int>(random() % 8)) + " ";
        }
        y += screen.text(paragraph, 280, y, "DejaVu Sans 14", 1080, theme.body) + 16;
    }
    if (!dense) {
        screen.fill(280, y + 20, 120, 34, 40, 110, 230);
        screen.text("Continue", 305, y + 28, "DejaVu Sans 13", 100, 255);
    }
    screen.save(path);
    return screen.drawn();
}

// Share of the drawn words that a reading holds, each counted once.
double wordRecall(const std::string& drawn, const std::string& read) {
    const auto words = [](const std::string& text) {
        std::multiset<std::string> all;
        std::istringstream in(text);
        for (std::string word; in >> word;) {
            all.insert(word);
        }
        return all;
    };
    const auto truth = words(drawn);
    auto found = words(read);
    std::size_t hits = 0;
    for (const auto& word : truth) {
        if (const auto it = found.find(word); it != found.end()) {
            found.erase(it);
            ++hits;
        }
    }
    return truth.empty() ? 1 : static_cast<double>(hits) / static_cast<double>(truth.size());
}

struct Timing {
    double wall = -1;
    double cpu = -1;
    double peakMegabytes = 0;
};

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Runs a program with the bench's environment plus `extraEnvironment` (which replaces variables
// of the same name); its standard output goes to `output`, standard error to /dev/null.
Timing run(std::vector<std::string> arguments, const std::vector<std::string>& extraEnvironment,
           const std::filesystem::path& output) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const bool replaced =
            std::any_of(extraEnvironment.begin(), extraEnvironment.end(), [&](const auto& extra) {
                return entry.rfind(extra.substr(0, extra.find('=') + 1), 0) == 0;
            });
        if (!replaced) {
            env.push_back(entry);
        }
    }
    env.insert(env.end(), extraEnvironment.begin(), extraEnvironment.end());
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (auto& a : arguments) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return {};
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return {secondsSince(start), seconds(usage.ru_utime) + seconds(usage.ru_stime),
            static_cast<double>(usage.ru_maxrss) / 1024.0};
}

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// No model server may answer: the port is closed, so the namer uses the heuristic.
const std::vector<std::string> noModel{"QUILLMARK_MODEL_URL=http://127.0.0.1:9"};

enum Column {
    readWhole,
    readFirst15,
    readFirst40,
    suggestOne,
    command,
    commandOneThread,
    columnCount
};
const char* const columnNames[columnCount] = {"read",    "read 15", "read 40",
                                              "suggest", "tess",    "tess 1"};

struct Sample {
    std::string group;
    Timing timing[columnCount];
    std::size_t lines = 0;
    double readRecall = 0;
    double commandRecall = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

std::vector<double> column(const std::vector<Sample>& samples, Column c, bool cpu) {
    std::vector<double> values;
    for (const Sample& s : samples) {
        values.push_back(cpu ? s.timing[c].cpu : s.timing[c].wall);
    }
    return values;
}

void printTimes(const std::string& name, const std::vector<Sample>& samples, bool cpu) {
    std::printf("%-17s %2zu", name.c_str(), samples.size());
    for (int c = 0; c < columnCount; ++c) {
        const auto values = column(samples, static_cast<Column>(c), cpu);
        std::printf("  %6.3f %6.3f", median(values), mean(values));
    }
    std::vector<double> lines, readRecall, commandRecall;
    for (const Sample& s : samples) {
        lines.push_back(static_cast<double>(s.lines));
        readRecall.push_back(s.readRecall);
        commandRecall.push_back(s.commandRecall);
    }
    std::printf("   %4.0f  %5.1f%% %5.1f%%\n", mean(lines), 100 * mean(readRecall),
                100 * mean(commandRecall));
}

void printRatios(const std::string& name, const std::vector<Sample>& samples) {
    std::printf("%-17s %2zu", name.c_str(), samples.size());
    for (const Column base : {command, commandOneThread}) {
        const double baseMedian = median(column(samples, base, false));
        for (const Column c : {readWhole, readFirst15, readFirst40, suggestOne}) {
            std::printf(" %6.1fx", baseMedian / median(column(samples, c, false)));
        }
        std::printf("   ");
    }
    std::printf("\n");
}

} // namespace

int main() {
    if (!engine::VipsRuntime::ensureStarted()) {
        std::fprintf(stderr, "libvips did not start\n");
        return 1;
    }
    std::string pattern =
        (std::filesystem::temp_directory_path() / "reading-bench-XXXXXX").string();
    const std::filesystem::path folder = mkdtemp(pattern.data());
    const std::filesystem::path output = folder / "output.txt";

    struct Kind {
        std::string group;
        int scale;
        bool dense;
        const Theme* theme;
        int count;
    };
    const std::vector<Kind> kinds{{"1440x900 dense", 1, true, &lightTheme, 3},
                                  {"1440x900 sparse", 1, false, &lightTheme, 2},
                                  {"1440x900 dark", 1, true, &darkTheme, 1},
                                  {"2880x1800 dense", 2, true, &lightTheme, 1},
                                  {"2880x1800 sparse", 2, false, &lightTheme, 1}};
    struct File {
        std::string group;
        std::filesystem::path path;
        std::string drawn;
    };
    std::vector<File> files;
    unsigned seed = 1;
    for (const Kind& k : kinds) {
        for (int i = 0; i < k.count; ++i, ++seed) {
            const auto path = folder / ("shot-" + std::to_string(seed) + ".png");
            files.push_back(
                {k.group, path, drawScreenshot(path, k.scale, k.dense, *k.theme, seed)});
        }
    }

    auto start = Clock::now();
    engine::TextReader::read(files.front().path, 1600); // the engine loads once per thread
    const double firstRead = secondsSince(start);

    const auto timeRead = [](const std::filesystem::path& path, std::optional<std::size_t> cap,
                             engine::TextReader::Reading* reading) {
        const auto wallStart = Clock::now();
        const double cpuStart = processCpuSeconds();
        *reading =
            cap ? engine::TextReader::read(path, 1600, *cap) : engine::TextReader::read(path, 1600);
        return Timing{secondsSince(wallStart), processCpuSeconds() - cpuStart};
    };

    std::vector<Sample> samples;
    for (const File& file : files) {
        Sample s;
        s.group = file.group;
        engine::TextReader::Reading whole, first15, first40;
        s.timing[readWhole] = timeRead(file.path, std::nullopt, &whole);
        s.timing[readFirst15] = timeRead(file.path, 15, &first15);
        s.timing[readFirst40] = timeRead(file.path, 40, &first40);
        s.lines = whole.lines.size();
        std::string wholeText;
        for (const auto& line : whole.lines) {
            wholeText += line + "\n";
        }
        s.readRecall = wordRecall(file.drawn, wholeText);
        for (const auto* capped : {&first15, &first40}) {
            const std::size_t n = capped->lines.size();
            if (n > whole.lines.size() ||
                !std::equal(capped->lines.begin(), capped->lines.end(), whole.lines.begin())) {
                std::fprintf(stderr, "capped reading of %s is not the start of the whole one\n",
                             file.path.filename().c_str());
            }
        }
        s.timing[suggestOne] = run({QUILLMARK_EXECUTABLE, "--suggest", file.path}, noModel, output);
        const std::string suggestion = fileText(output);
        s.timing[command] = run({"tesseract", file.path, "-", "--psm", "3"}, {}, output);
        s.timing[commandOneThread] =
            run({"tesseract", file.path, "-", "--psm", "3"}, {"OMP_THREAD_LIMIT=1"}, output);
        s.commandRecall = wordRecall(file.drawn, fileText(output));
        samples.push_back(s);
        std::fprintf(stderr, "%s %s: read %.3f s (15: %.3f, 40: %.3f), %zu lines, hints:",
                     file.group.c_str(), file.path.filename().c_str(), s.timing[readWhole].wall,
                     s.timing[readFirst15].wall, s.timing[readFirst40].wall, s.lines);
        for (const auto& h : whole.hints) {
            std::fprintf(stderr, " [%s]", h.c_str());
        }
        std::fprintf(stderr, "\n  %s", suggestion.c_str());
    }

    // Twenty files named by one process, against the one-thread command on the same pictures.
    const std::filesystem::path batch = folder / "batch";
    std::filesystem::create_directory(batch);
    std::vector<std::string> suggestAll{QUILLMARK_EXECUTABLE, "--suggest"};
    double commandOneThreadSeconds = 0, commandSeconds = 0;
    for (std::size_t i = 0; suggestAll.size() < 22; ++i) {
        const File& file = files[i % files.size()];
        const auto copy = batch / ("Screenshot " + std::to_string(i + 1) + ".png");
        std::filesystem::copy_file(file.path, copy);
        suggestAll.push_back(copy.string());
        commandOneThreadSeconds += samples[i % files.size()].timing[commandOneThread].wall;
        commandSeconds += samples[i % files.size()].timing[command].wall;
    }
    const Timing all = run(suggestAll, noModel, output);
    const std::string printed = fileText(output);
    const auto named = std::count(printed.begin(), printed.end(), '\n');
    const double batchCount = static_cast<double>(suggestAll.size() - 2);

    for (const bool cpu : {false, true}) {
        std::printf("\n%s seconds per file, median and mean: TextReader::read(file, 1600) whole, "
                    "with 15 and 40 lines | quillmark --suggest FILE | tesseract FILE - --psm 3, "
                    "OMP_THREAD_LIMIT unset and =1\n",
                    cpu ? "CPU" : "wall-clock");
        std::printf("%-17s %2s", "group", "n");
        for (const char* name : columnNames) {
            std::printf("  %13s", name);
        }
        std::printf("   %4s  %6s %6s\n", "lines", "words", "tess");
        for (const Kind& k : kinds) {
            std::vector<Sample> group;
            std::copy_if(samples.begin(), samples.end(), std::back_inserter(group),
                         [&](const Sample& s) { return s.group == k.group; });
            printTimes(k.group, group, cpu);
        }
        std::vector<Sample> small;
        std::copy_if(samples.begin(), samples.end(), std::back_inserter(small),
                     [](const Sample& s) { return s.group.rfind("1440", 0) == 0; });
        printTimes("1440x900 all", small, cpu);
        printTimes("all", samples, cpu);
    }
    std::printf("(\"words\": share of the drawn words found by the whole reading; \"tess\": by "
                "the tesseract command)\n");

    std::printf("\nspeed-up in wall-clock medians against tesseract FILE - --psm 3\n");
    std::printf("%-17s %2s  %-35s   %-35s\n", "group", "n", "OMP_THREAD_LIMIT unset",
                "OMP_THREAD_LIMIT=1");
    std::printf("%-20s %7s %7s %7s %7s     %7s %7s %7s %7s\n", "", "read", "read15", "read40",
                "suggest", "read", "read15", "read40", "suggest");
    for (const Kind& k : kinds) {
        std::vector<Sample> group;
        std::copy_if(samples.begin(), samples.end(), std::back_inserter(group),
                     [&](const Sample& s) { return s.group == k.group; });
        printRatios(k.group, group);
    }
    std::vector<Sample> small;
    std::copy_if(samples.begin(), samples.end(), std::back_inserter(small),
                 [](const Sample& s) { return s.group.rfind("1440", 0) == 0; });
    printRatios("1440x900 all", small);
    printRatios("all", samples);

    std::printf("\nquillmark --suggest over %.0f files (the pictures above in turn): %.2f s wall, "
                "%.2f s CPU, %.2f files/s, peak resident memory %.1f MB, %td lines printed\n",
                batchCount, all.wall, all.cpu, batchCount / all.wall, all.peakMegabytes, named);
    std::printf("tesseract FILE - --psm 3 one file after another, same files: %.2f files/s with "
                "OMP_THREAD_LIMIT=1 (%.1fx slower than --suggest), %.2f files/s unset (%.1fx)\n",
                batchCount / commandOneThreadSeconds, commandOneThreadSeconds / all.wall,
                batchCount / commandSeconds, commandSeconds / all.wall);

    double load[3] = {};
    if (getloadavg(load, 3) == 3) {
        std::printf("load average during the run: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    }
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    std::printf("first read (engine start included): %.3f s\n", firstRead);
    std::printf("peak resident memory of the bench process: %.1f MB\n",
                static_cast<double>(self.ru_maxrss) / 1024.0);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}

// Times TextReader::read against the tesseract command on generated text screenshots.
#include "TextReader.h"
#include "VipsRuntime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <numeric>
#include <random>
#include <spawn.h>
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
        VipsImage* mask = nullptr;
        if (vips_text(&mask, text.c_str(), "font", font.c_str(), "width", wrap * scale_, "dpi",
                      72 * scale_, nullptr) != 0) {
            return 0;
        }
        VipsImage* memory = vips_image_copy_memory(mask);
        g_object_unref(mask);
        const int w = vips_image_get_width(memory);
        const int h = vips_image_get_height(memory);
        const auto* alpha = static_cast<const std::uint8_t*>(vips_image_get_data(memory));
        for (int j = 0; j < h; ++j) {
            for (int i = 0; i < w; ++i) {
                const int px = x * scale_ + i, py = y * scale_ + j;
                if (px >= width_ || py >= height_) {
                    continue;
                }
                const unsigned a = alpha[static_cast<std::size_t>(j) * w + i];
                std::uint8_t* p = &pixels_[(static_cast<std::size_t>(py) * width_ + px) * 3];
                for (int c = 0; c < 3; ++c) {
                    p[c] = static_cast<std::uint8_t>((p[c] * (255 - a) + ink * a) / 255);
                }
            }
        }
        g_object_unref(memory);
        return h / scale_;
    }

    bool save(const std::filesystem::path& path) const {
        VipsImage* image = vips_image_new_from_memory(pixels_.data(), pixels_.size(), width_,
                                                      height_, 3, VIPS_FORMAT_UCHAR);
        image->Type = VIPS_INTERPRETATION_sRGB;
        const bool saved = vips_image_write_to_file(image, path.c_str(), nullptr) == 0;
        g_object_unref(image);
        return saved;
    }

private:
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

void drawScreenshot(const std::filesystem::path& path, int scale, bool dense, unsigned seed) {
    std::mt19937 random(seed);
    Screen screen(scale, 250);
    screen.fill(0, 0, 1440, 38, 232, 232, 234);
    screen.fill(14, 13, 12, 12, 236, 95, 90);
    screen.fill(34, 13, 12, 12, 245, 190, 80);
    screen.fill(54, 13, 12, 12, 100, 200, 90);
    screen.text("Quarterly Budget Review - Notes", 560, 10, "DejaVu Sans Bold 13", 600, 40);
    screen.fill(0, 38, 240, 862, 240, 241, 244);
    int y = 60;
    for (int i = 0; i < (dense ? 18 : 7) && y < 860; ++i) {
        y += screen.text(sentence(random, 2 + static_cast<int>(random() % 2)), 20, y,
                         "DejaVu Sans 13", 200, 50) +
             14;
    }
    y = 70;
    y += screen.text(sentence(random, 5), 280, y, "DejaVu Sans Bold 24", 1100, 20) + 20;
    const int paragraphs = dense ? 12 : 2;
    for (int p = 0; p < paragraphs && y < 840; ++p) {
        std::string paragraph;
        for (int s = 0; s < (dense ? 6 : 2); ++s) {
            paragraph += sentence(random, 6 + static_cast<int>(random() % 8)) + " ";
        }
        y += screen.text(paragraph, 280, y, "DejaVu Sans 14", 1080, 35) + 16;
    }
    if (!dense) {
        screen.fill(280, y + 20, 120, 34, 40, 110, 230);
        screen.text("Continue", 305, y + 28, "DejaVu Sans 13", 100, 255);
    }
    screen.save(path);
}

struct Timing {
    double wall = -1;
    double cpu = -1;
};

double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

Timing runCommand(const std::filesystem::path& file, bool oneThread) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::string(*e).rfind("OMP_THREAD_LIMIT=", 0) != 0) {
            env.emplace_back(*e);
        }
    }
    if (oneThread) {
        env.emplace_back("OMP_THREAD_LIMIT=1");
    }
    std::vector<char*> envp;
    for (auto& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string program = "tesseract", input = file.string(), dash = "-", psm = "--psm",
                three = "3";
    char* argv[] = {program.data(), input.data(), dash.data(), psm.data(), three.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "tesseract", &actions, nullptr, argv, envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return {};
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return {};
    }
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
    };
    return {secondsSince(start), seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

struct Sample {
    std::string group;
    Timing reader;
    Timing commandDefault;
    Timing commandOneThread;
    std::size_t lines = 0;
    double shareAfter40 = 0; // characters after the 40th line, over all characters
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double mean(const std::vector<double>& v) {
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

void printRow(const std::string& name, const std::vector<Sample>& samples, bool cpu) {
    std::vector<double> reader, commandDefault, commandOne, lines, after;
    const auto pick = [cpu](const Timing& t) { return cpu ? t.cpu : t.wall; };
    for (const Sample& s : samples) {
        reader.push_back(pick(s.reader));
        commandDefault.push_back(pick(s.commandDefault));
        commandOne.push_back(pick(s.commandOneThread));
        lines.push_back(static_cast<double>(s.lines));
        after.push_back(s.shareAfter40);
    }
    std::printf(
        "%-16s %3zu  %6.3f %6.3f   %6.3f %6.3f   %6.3f %6.3f   %5.1fx  %5.1fx   %5.0f  %4.0f%%\n",
        name.c_str(), samples.size(), median(reader), mean(reader), median(commandDefault),
        mean(commandDefault), median(commandOne), mean(commandOne),
        median(commandDefault) / median(reader), median(commandOne) / median(reader), mean(lines),
        100 * mean(after));
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

    struct Kind {
        std::string group;
        int scale;
        bool dense;
        int count;
    };
    const std::vector<Kind> kinds{{"1440x900 dense", 1, true, 3},
                                  {"1440x900 sparse", 1, false, 3},
                                  {"2880x1800 dense", 2, true, 1},
                                  {"2880x1800 sparse", 2, false, 1}};
    std::vector<std::pair<std::string, std::filesystem::path>> files;
    unsigned seed = 1;
    for (const Kind& k : kinds) {
        for (int i = 0; i < k.count; ++i, ++seed) {
            const auto path = folder / ("shot-" + std::to_string(seed) + ".png");
            drawScreenshot(path, k.scale, k.dense, seed);
            files.emplace_back(k.group, path);
        }
    }

    auto start = Clock::now();
    engine::TextReader::read(files.front().second, 1600); // the engine loads once per thread
    const double firstRead = secondsSince(start);

    std::vector<Sample> samples;
    for (const auto& [group, path] : files) {
        Sample s;
        s.group = group;
        start = Clock::now();
        const double cpuStart = processCpuSeconds();
        const auto reading = engine::TextReader::read(path, 1600);
        s.reader = {secondsSince(start), processCpuSeconds() - cpuStart};
        s.lines = reading.lines.size();
        std::size_t all = 0, after = 0;
        for (std::size_t i = 0; i < reading.lines.size(); ++i) {
            all += reading.lines[i].size();
            after += i >= 40 ? reading.lines[i].size() : 0;
        }
        s.shareAfter40 = all == 0 ? 0 : static_cast<double>(after) / static_cast<double>(all);
        s.commandDefault = runCommand(path, false);
        s.commandOneThread = runCommand(path, true);
        samples.push_back(s);
        std::fprintf(stderr, "%s %s: %.3f s, %zu lines, hints:", group.c_str(),
                     path.filename().c_str(), s.reader.wall, s.lines);
        for (const auto& h : reading.hints) {
            std::fprintf(stderr, " [%s]", h.c_str());
        }
        std::fprintf(stderr, "\n");
    }

    for (const bool cpu : {false, true}) {
        std::printf(
            "\n%s seconds per file: TextReader::read(file, 1600) | tesseract FILE - --psm 3 "
            "(OMP_THREAD_LIMIT unset) | same with OMP_THREAD_LIMIT=1\n",
            cpu ? "CPU" : "wall-clock");
        std::printf("%-16s %3s  %13s   %13s   %13s   %6s  %6s   %5s  %5s\n", "group", "n",
                    "read med/mean", "cmd med/mean", "cmd1 med/mean", "speed", "speed1", "lines",
                    ">40");
        for (const Kind& k : kinds) {
            std::vector<Sample> group;
            std::copy_if(samples.begin(), samples.end(), std::back_inserter(group),
                         [&](const Sample& s) { return s.group == k.group; });
            printRow(k.group, group, cpu);
        }
        std::vector<Sample> small;
        std::copy_if(samples.begin(), samples.end(), std::back_inserter(small),
                     [](const Sample& s) { return s.group.rfind("1440", 0) == 0; });
        printRow("1440x900 all", small, cpu);
        printRow("all", samples, cpu);
    }
    std::printf("(\">40\": share of the characters that lie after the 40th line, what stopping "
                "early could save)\n");
    double load[3] = {};
    if (getloadavg(load, 3) == 3) {
        std::printf("load average during the run: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    }

    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    std::printf("first read (engine start included): %.3f s\n", firstRead);
    std::printf("peak resident memory of the bench process: %.1f MB\n", self.ru_maxrss / 1024.0);

    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}

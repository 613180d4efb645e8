#include "TesseractRecognizer.h"

#include <algorithm>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

namespace engine {

namespace {

// Tesseract asks OpenMP for fixed team sizes; on two shared cores the threads spin more than
// they compute (4x slower per page). OMP_THREAD_LIMIT is read when libgomp loads, too early for
// us, so serialise every parallel region through the API instead, if libgomp is there at all.
void limitOpenMpToOneThread() {
    static std::once_flag once;
    std::call_once(once, [] {
        using SetInt = void (*)(int);
        if (auto setLevels =
                reinterpret_cast<SetInt>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"))) {
            setLevels(0);
        }
    });
}

class Engine {
public:
    Engine() {
        limitOpenMpToOneThread();
        // Stops the engine printing its resolution guesses on standard error.
        std::vector<std::string> names{"debug_file"};
        std::vector<std::string> values{"/dev/null"};
        if (api_.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                      false) != 0) {
            return;
        }
        api_.SetPageSegMode(tesseract::PSM_AUTO);
        // Polarity is fixed before recognition; retrying weak lines inverted costs up to 50%.
        api_.SetVariable("tessedit_do_invert", "0");
        ready_ = true;
    }

    bool ready() const { return ready_; }
    tesseract::TessBaseAPI& api() { return api_; }

private:
    tesseract::TessBaseAPI api_;
    bool ready_ = false;
};

std::uint8_t luma(const std::uint8_t* p) {
    return static_cast<std::uint8_t>((p[0] * 299 + p[1] * 587 + p[2] * 114 + 500) / 1000);
}

} // namespace

std::vector<std::uint8_t> TesseractRecognizer::darkTextOnLight(const RgbImage& image) {
    const int w = image.width;
    const int h = image.height;
    std::vector<std::uint8_t> grey(static_cast<std::size_t>(w) * h);
    std::size_t darkPixels = 0;
    for (std::size_t i = 0; i < grey.size(); ++i) {
        grey[i] = luma(image.pixels.data() + i * 3);
        darkPixels += grey[i] < 128;
    }
    const double darkShare = grey.empty() ? 0 : static_cast<double>(darkPixels) / grey.size();
    if (darkShare < 0.05) {
        return grey; // light page: leave untouched
    }
    if (darkShare > 0.95) {
        for (auto& g : grey) {
            g = static_cast<std::uint8_t>(255 - g);
        }
        return grey;
    }

    // Mixed page (dark sidebar, dark panels): decide per pixel from the local background,
    // the mean over a window much larger than a text stroke.
    const int radius = std::max(8, std::max(w, h) / 100);
    std::vector<std::uint64_t> integral(static_cast<std::size_t>(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y) {
        std::uint64_t rowSum = 0;
        for (int x = 0; x < w; ++x) {
            rowSum += grey[static_cast<std::size_t>(y) * w + x];
            integral[static_cast<std::size_t>(y + 1) * (w + 1) + x + 1] =
                integral[static_cast<std::size_t>(y) * (w + 1) + x + 1] + rowSum;
        }
    }
    std::vector<std::uint8_t> out(grey.size());
    for (int y = 0; y < h; ++y) {
        const int y0 = std::max(0, y - radius);
        const int y1 = std::min(h, y + radius + 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = std::max(0, x - radius);
            const int x1 = std::min(w, x + radius + 1);
            const auto at = [&](int xx, int yy) {
                return integral[static_cast<std::size_t>(yy) * (w + 1) + xx];
            };
            const std::uint64_t sum = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
            const std::uint64_t count = static_cast<std::uint64_t>(x1 - x0) * (y1 - y0);
            const std::uint8_t g = grey[static_cast<std::size_t>(y) * w + x];
            out[static_cast<std::size_t>(y) * w + x] =
                sum < 128 * count ? static_cast<std::uint8_t>(255 - g) : g;
        }
    }
    return out;
}

std::vector<TextObservation> TesseractRecognizer::recognize(const RgbImage& image) {
    std::vector<TextObservation> observations;
    if (image.empty()) {
        return observations;
    }
    thread_local Engine engine;
    if (!engine.ready()) {
        return observations;
    }
    tesseract::TessBaseAPI& api = engine.api();
    const std::vector<std::uint8_t> grey = darkTextOnLight(image);
    api.SetImage(grey.data(), image.width, image.height, 1, image.width);
    if (api.Recognize(nullptr) == 0) {
        std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
        if (it && !it->Empty(tesseract::RIL_TEXTLINE)) {
            do {
                int left = 0, top = 0, right = 0, bottom = 0;
                if (!it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
                    continue;
                }
                TextObservation o;
                o.x = static_cast<double>(left) / image.width;
                o.width = static_cast<double>(right - left) / image.width;
                o.height = static_cast<double>(bottom - top) / image.height;
                o.y = 1.0 - static_cast<double>(bottom) / image.height;
                if (std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE)); text) {
                    o.text = std::string(text.get());
                }
                observations.push_back(std::move(o));
            } while (it->Next(tesseract::RIL_TEXTLINE));
        }
    }
    api.Clear();
    return observations;
}

} // namespace engine

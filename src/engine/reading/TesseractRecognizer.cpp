#include "reading/TesseractRecognizer.h"

#include <algorithm>
#include <dlfcn.h>
#include <memory>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

namespace engine {

namespace {

// Tesseract asks OpenMP for fixed team sizes; on two shared cores the threads spin more than
// they compute (4x slower per page, 10x when two threads read). OMP_THREAD_LIMIT is read when
// libgomp loads, too early for us, so serialise every parallel region through the API instead,
// if libgomp is there at all. The setting belongs to the calling thread: every thread that
// recognises must make it.
void limitOpenMpToOneThreadHere() {
    using SetInt = void (*)(int);
    static const auto setLevels =
        reinterpret_cast<SetInt>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels"));
    if (setLevels) {
        setLevels(0);
    }
}

class Engine {
public:
    Engine() {
        limitOpenMpToOneThreadHere();
        // Stops the engine printing its resolution guesses on standard error.
        std::vector<std::string> names{"debug_file"};
        std::vector<std::string> values{"/dev/null"};
        if (api_.Init(nullptr, "eng", tesseract::OEM_LSTM_ONLY, nullptr, 0, &names, &values,
                      false) != 0) {
            return;
        }
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

Engine& threadEngine() {
    thread_local Engine engine;
    return engine;
}

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

TesseractRecognizer::TesseractRecognizer(const RgbImage& image)
    : width_(image.width), height_(image.height) {
    if (image.empty()) {
        return;
    }
    Engine& engine = threadEngine();
    if (!engine.ready()) {
        return;
    }
    tesseract::TessBaseAPI& api = engine.api();
    grey_ = darkTextOnLight(image);
    api.SetPageSegMode(tesseract::PSM_AUTO);
    api.SetImage(grey_.data(), width_, height_, 1, width_);
    if (std::unique_ptr<tesseract::PageIterator> it(api.AnalyseLayout()); it) {
        do {
            PixelBox box;
            if (!tesseract::PTIsTextType(it->BlockType()) ||
                !it->BoundingBox(tesseract::RIL_TEXTLINE, &box.left, &box.top, &box.right,
                                 &box.bottom) ||
                box.right <= box.left || box.bottom <= box.top) {
                continue;
            }
            TextObservation o;
            o.x = static_cast<double>(box.left) / width_;
            o.width = static_cast<double>(box.right - box.left) / width_;
            o.height = static_cast<double>(box.bottom - box.top) / height_;
            o.y = 1.0 - static_cast<double>(box.bottom) / height_;
            boxes_.push_back(box);
            lines_.push_back(o);
        } while (it->Next(tesseract::RIL_TEXTLINE));
    }
    api.Clear();
}

std::optional<std::string> TesseractRecognizer::recognizeLine(std::size_t index) const {
    if (index >= boxes_.size()) {
        return std::nullopt;
    }
    // The line alone on white: a pixel of the page around its box, then blank space about half
    // its height on every side. Neighbouring lines stay out, and the engine scales the line to
    // its input height with the same room around the text as on a whole page.
    const PixelBox& box = boxes_[index];
    const int left = std::max(0, box.left - 1);
    const int top = std::max(0, box.top - 1);
    const int right = std::min(width_, box.right + 1);
    const int bottom = std::min(height_, box.bottom + 1);
    const int pad = std::clamp((box.bottom - box.top) / 2, 4, 64);
    const int width = right - left + 2 * pad;
    const int height = bottom - top + 2 * pad;
    std::vector<std::uint8_t> canvas(static_cast<std::size_t>(width) * height, 255);
    for (int y = top; y < bottom; ++y) {
        const auto from = grey_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
        std::copy(from + left, from + right,
                  canvas.begin() + static_cast<std::ptrdiff_t>(y - top + pad) * width + pad);
    }

    tesseract::TessBaseAPI& api = threadEngine().api();
    api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    api.SetImage(canvas.data(), width, height, 1, width);
    std::optional<std::string> text;
    if (api.Recognize(nullptr) == 0) {
        if (std::unique_ptr<char[]> utf8(api.GetUTF8Text()); utf8) {
            text = std::string(utf8.get());
        }
    }
    api.Clear();
    return text;
}

} // namespace engine

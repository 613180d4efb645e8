#include "reading/TesseractRecognizer.h"

#include "reading/TextReader.h"

#include <algorithm>
#include <array>
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

    // Mixed page (dark sidebar, dark panels): a pixel is inverted when its neighbourhood is dark
    // and so is a long strip through it, across or down. A panel is dark along its length; a
    // thick stroke of dark text is not, since letters have light gaps and light lines around
    // them, so bold dark text on a light page keeps its pixels.
    const int radius = std::max(8, std::max(w, h) / 100);
    const int reach = 4 * radius;
    std::vector<std::uint64_t> integral(static_cast<std::size_t>(w + 1) * (h + 1), 0);
    for (int y = 0; y < h; ++y) {
        std::uint64_t rowSum = 0;
        for (int x = 0; x < w; ++x) {
            rowSum += grey[static_cast<std::size_t>(y) * w + x];
            integral[static_cast<std::size_t>(y + 1) * (w + 1) + x + 1] =
                integral[static_cast<std::size_t>(y) * (w + 1) + x + 1] + rowSum;
        }
    }
    // Mean of the window around (x, y), `rx` and `ry` pixels either side, below `limit`.
    const auto darkerThan = [&](int x, int y, int rx, int ry, std::uint64_t limit) {
        const int x0 = std::max(0, x - rx);
        const int x1 = std::min(w, x + rx + 1);
        const int y0 = std::max(0, y - ry);
        const int y1 = std::min(h, y + ry + 1);
        const auto at = [&](int xx, int yy) {
            return integral[static_cast<std::size_t>(yy) * (w + 1) + xx];
        };
        const std::uint64_t sum = at(x1, y1) - at(x0, y1) - at(x1, y0) + at(x0, y0);
        const std::uint64_t count = static_cast<std::uint64_t>(x1 - x0) * (y1 - y0);
        return sum < limit * count;
    };
    constexpr std::uint64_t darkMean = 128;
    constexpr std::uint64_t panelMean = 96;
    std::vector<std::uint8_t> out(grey.size());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::uint8_t g = grey[static_cast<std::size_t>(y) * w + x];
            const bool inPanel = darkerThan(x, y, radius, radius, darkMean) &&
                                 (darkerThan(x, y, reach, radius, panelMean) ||
                                  darkerThan(x, y, radius, reach, panelMean));
            out[static_cast<std::size_t>(y) * w + x] =
                inPanel ? static_cast<std::uint8_t>(255 - g) : g;
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
    const std::vector<std::uint8_t> layout = darkTextOnLight(image);
    original_.resize(layout.size());
    for (std::size_t i = 0; i < original_.size(); ++i) {
        original_[i] = luma(image.pixels.data() + i * 3);
    }
    api.SetPageSegMode(tesseract::PSM_AUTO);
    api.SetImage(layout.data(), width_, height_, 1, width_);
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

TesseractRecognizer::Polarity TesseractRecognizer::polarityOf(int left, int top, int right,
                                                              int bottom) const {
    // The ring just outside the box is the line's background; the box is darker than its
    // background where the text is dark.
    std::array<std::uint32_t, 256> ring{};
    std::uint32_t ringCount = 0;
    const auto addRow = [&](int y) {
        if (y < 0 || y >= height_) {
            return;
        }
        for (int x = std::max(0, left - 2); x < std::min(width_, right + 2); ++x) {
            ++ring[original_[static_cast<std::size_t>(y) * width_ + x]];
            ++ringCount;
        }
    };
    const auto addColumn = [&](int x) {
        if (x < 0 || x >= width_) {
            return;
        }
        for (int y = top; y < bottom; ++y) {
            ++ring[original_[static_cast<std::size_t>(y) * width_ + x]];
            ++ringCount;
        }
    };
    addRow(top - 2), addRow(top - 1), addRow(bottom), addRow(bottom + 1);
    addColumn(left - 2), addColumn(left - 1), addColumn(right), addColumn(right + 1);
    std::uint64_t sum = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            sum += original_[static_cast<std::size_t>(y) * width_ + x];
        }
    }
    const std::uint64_t count = static_cast<std::uint64_t>(right - left) * (bottom - top);
    if (ringCount == 0 || count == 0) {
        // The line fills the image: a dark image holds light text.
        const bool dark = sum < 128 * count;
        return {dark, dark ? std::uint8_t{0} : std::uint8_t{255}};
    }
    std::uint32_t seen = 0;
    std::uint64_t median = 0;
    while (median < 255 && (seen += ring[median]) * 2 < ringCount) {
        ++median;
    }
    return {sum > median * count, static_cast<std::uint8_t>(median)};
}

std::optional<TextLine> TesseractRecognizer::recognizeLine(std::size_t index) const {
    if (index >= boxes_.size()) {
        return std::nullopt;
    }
    // The line alone on white: a pixel of the page around its box, then blank space about half
    // its height on every side. Neighbouring lines stay out, and the engine scales the line to
    // its input height with the same room around the text as on a whole page. The pixels are
    // the page's own, turned over only when this line is light on dark.
    const PixelBox& box = boxes_[index];
    const int left = std::max(0, box.left - 1);
    const int top = std::max(0, box.top - 1);
    const int right = std::min(width_, box.right + 1);
    const int bottom = std::min(height_, box.bottom + 1);
    const Polarity polarity = polarityOf(box.left, box.top, box.right, box.bottom);
    // Text on a coloured bar is faint once grey: stretch the line's levels so that its
    // background is white and its darkest ink black.
    const int background = polarity.invert ? 255 - polarity.background : polarity.background;
    int ink = 255;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const int g = original_[static_cast<std::size_t>(y) * width_ + x];
            ink = std::min(ink, polarity.invert ? 255 - g : g);
        }
    }
    std::array<std::uint8_t, 256> level{};
    for (int g = 0; g < 256; ++g) {
        const int v = polarity.invert ? 255 - g : g;
        level[static_cast<std::size_t>(g)] =
            background - ink < 32 ? static_cast<std::uint8_t>(v)
                                  : static_cast<std::uint8_t>(
                                        std::clamp((v - ink) * 255 / (background - ink), 0, 255));
    }
    const int pad = std::clamp((box.bottom - box.top) / 2, 4, 64);
    const int width = right - left + 2 * pad;
    const int height = bottom - top + 2 * pad;
    std::vector<std::uint8_t> canvas(static_cast<std::size_t>(width) * height, 255);
    for (int y = top; y < bottom; ++y) {
        const auto from = original_.begin() + static_cast<std::ptrdiff_t>(y) * width_;
        const auto to = canvas.begin() + static_cast<std::ptrdiff_t>(y - top + pad) * width + pad;
        std::transform(from + left, from + right, to, [&](std::uint8_t g) { return level[g]; });
    }

    tesseract::TessBaseAPI& api = threadEngine().api();
    api.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
    api.SetImage(canvas.data(), width, height, 1, width);
    std::optional<TextLine> line;
    if (api.Recognize(nullptr) == 0) {
        if (std::unique_ptr<char[]> utf8(api.GetUTF8Text()); utf8) {
            if (auto text = TextReader::trimmedLine(std::string(utf8.get()))) {
                line = TextLine{};
                line->text = std::move(*text);
                line->x = lines_[index].x;
                line->y = lines_[index].y;
                line->width = lines_[index].width;
                line->height = lines_[index].height;
                addWords(api, left - pad, *line);
            }
        }
    }
    api.Clear();
    return line;
}

void TesseractRecognizer::addWords(tesseract::TessBaseAPI& api, int canvasLeft,
                                   TextLine& line) const {
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it) {
        return;
    }
    std::vector<double> heights;
    do {
        PixelBox box;
        if (it->Empty(tesseract::RIL_WORD) ||
            !it->BoundingBox(tesseract::RIL_WORD, &box.left, &box.top, &box.right, &box.bottom)) {
            continue;
        }
        TextLine::Word word;
        word.x = static_cast<double>(box.left + canvasLeft) / width_;
        word.width = static_cast<double>(box.right - box.left) / width_;
        word.height = static_cast<double>(box.bottom - box.top) / height_;
        word.confidence = it->Confidence(tesseract::RIL_WORD);
        heights.push_back(word.height);
        line.words.push_back(word);
    } while (it->Next(tesseract::RIL_WORD));
    if (!heights.empty()) {
        std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
        line.textSize = heights[heights.size() / 2];
    }
}

} // namespace engine

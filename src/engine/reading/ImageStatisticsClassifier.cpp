#include "reading/ImageStatisticsClassifier.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace engine {

namespace {

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

// 0 at or below `low`, 1 at or above `high`, linear between.
double ramp(double v, double low, double high) {
    return clamp01((v - low) / (high - low));
}

template <typename Rgb> int lumaOf(const Rgb& p) {
    return (p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000;
}

} // namespace

ImageStatisticsClassifier::Statistics
ImageStatisticsClassifier::measure(const RgbImage& image,
                                   const std::vector<TextObservation>& text) {
    Statistics s;
    if (image.empty()) {
        return s;
    }
    // Every second pixel in both directions is plenty for these shares.
    const int step = std::max(1, std::min(image.width, image.height) >= 200 ? 2 : 1);
    std::array<std::uint32_t, 4096> bins{};
    std::uint64_t samples = 0, dark = 0, white = 0, edges = 0, saturated = 0;
    double lumaSum = 0, saturationSum = 0;
    for (int y = 0; y < image.height; y += step) {
        for (int x = 0; x < image.width; x += step) {
            const std::uint8_t* p = image.pixel(x, y);
            const int luma = lumaOf(p);
            const int spread = std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
            ++samples;
            lumaSum += luma;
            saturationSum += spread;
            dark += luma < 64;
            white += luma > 230 && spread < 24;
            saturated += spread > 100;
            ++bins[(p[0] >> 4) << 8 | (p[1] >> 4) << 4 | (p[2] >> 4)];
            if (x + step < image.width && std::abs(luma - lumaOf(image.pixel(x + step, y))) > 48) {
                ++edges;
            } else if (y + step < image.height &&
                       std::abs(luma - lumaOf(image.pixel(x, y + step))) > 48) {
                ++edges;
            }
        }
    }
    const double n = static_cast<double>(samples);
    s.brightness = lumaSum / n / 255.0;
    s.darkShare = dark / n;
    s.whiteShare = white / n;
    s.saturation = saturationSum / n / 255.0;
    s.saturatedShare = saturated / n;
    s.edgeDensity = edges / n;

    // Bins ranked by size; the largest is the background.
    std::array<std::uint16_t, 4096> order{};
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<std::uint16_t>(i);
    }
    std::partial_sort(order.begin(), order.begin() + 8, order.end(),
                      [&](std::uint16_t a, std::uint16_t b) { return bins[a] > bins[b]; });
    const auto centre = [](std::uint16_t bin) {
        return std::array<int, 3>{(bin >> 8) * 16 + 8, ((bin >> 4) & 15) * 16 + 8,
                                  (bin & 15) * 16 + 8};
    };
    const auto background = centre(order[0]);
    const int backgroundLuma = lumaOf(background);
    std::uint64_t top = bins[order[0]];
    std::uint64_t panels = 0;
    for (int i = 1; i < 8; ++i) {
        const std::uint32_t count = bins[order[i]];
        top += count;
        const auto c = centre(order[i]);
        const int spread = std::max({c[0], c[1], c[2]}) - std::min({c[0], c[1], c[2]});
        // Grey ink far from the background is text, not a panel.
        const bool panel = std::abs(lumaOf(c) - backgroundLuma) < 120 || spread > 60;
        if (panel && count >= n * 0.01) {
            panels += count;
        }
    }
    s.dominantShare = top / n;
    s.panelShare = panels / n;

    double entropy = 0;
    for (const std::uint32_t count : bins) {
        if (count > 0) {
            const double p = count / n;
            entropy -= p * std::log2(p);
        }
    }
    s.colourVariety = clamp01(entropy / 12.0);

    double area = 0;
    for (const TextObservation& o : text) {
        area += std::max(0.0, o.width) * std::max(0.0, o.height);
    }
    s.textCoverage = clamp01(area);
    return s;
}

std::vector<SceneObservation> ImageStatisticsClassifier::classify(const Statistics& s) {
    const double flat = ramp(s.dominantShare, 0.5, 0.85);
    const double hasText = ramp(s.textCoverage, 0.0, 0.08);
    const double busy = ramp(s.edgeDensity, 0.02, 0.15);

    std::vector<SceneObservation> labels;
    const auto add = [&](const char* id, double confidence) {
        labels.push_back({id, static_cast<float>(clamp01(confidence))});
    };
    const double panelled = ramp(s.panelShare, 0.02, 0.10);
    add("dark", ramp(s.darkShare, 0.5, 0.9));
    // Light, plain, colourless page with text on it and nothing else.
    add("document", ramp(s.whiteShare, 0.45, 0.8) * hasText * (1 - ramp(s.saturation, 0.05, 0.2)) *
                        flat * (1 - ramp(s.panelShare, 0.03, 0.12)));
    // Flat areas of a few colours with text: windows, bars, panels, buttons.
    add("user_interface", flat * hasText * panelled);
    // Many colours, few flat areas.
    add("photo", ramp(s.colourVariety, 0.3, 0.6) * (1 - flat) * (0.7 + 0.3 * busy));
    // Flat areas of strong colour with little text.
    add("chart", flat * ramp(s.saturatedShare, 0.05, 0.25) * (1 - ramp(s.textCoverage, 0.1, 0.3)));

    std::stable_sort(labels.begin(), labels.end(),
                     [](const SceneObservation& a, const SceneObservation& b) {
                         return a.confidence > b.confidence;
                     });
    return labels;
}

std::vector<SceneObservation>
ImageStatisticsClassifier::classify(const RgbImage& image,
                                    const std::vector<TextObservation>& text) const {
    if (image.empty()) {
        return {};
    }
    return classify(measure(image, text));
}

} // namespace engine

#include "reading/ImageStatisticsClassifier.h"
#include "ReadingTestImages.h"
#include "reading/VipsRuntime.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace engine;
using reading_test::Canvas;

namespace {

RgbImage toImage(Canvas& canvas) {
    return {canvas.width(), canvas.height(), canvas.pixels()};
}

// Text boxes as the recogniser would report them for lines drawn at these rows.
std::vector<TextObservation> lineBoxes(int count, double width, double height) {
    std::vector<TextObservation> boxes;
    for (int i = 0; i < count; ++i) {
        boxes.push_back({0.1, 0.9 - 0.06 * i, width, height, "text"});
    }
    return boxes;
}

std::string top(const std::vector<SceneObservation>& labels) {
    return labels.empty() ? "" : labels.front().identifier;
}

float confidenceOf(const std::vector<SceneObservation>& labels, const std::string& id) {
    for (const auto& l : labels) {
        if (l.identifier == id) {
            return l.confidence;
        }
    }
    return -1;
}

class SceneClassification : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(VipsRuntime::ensureStarted()); }
    ImageStatisticsClassifier classifier;
};

} // namespace

TEST_F(SceneClassification, knownPictures) {
    Canvas page(800, 1000, 255);
    for (int i = 0; i < 14; ++i) {
        page.text("Minutes of the weekly planning meeting, item " + std::to_string(i), 80,
                  80 + 60 * i, 22, 0);
    }
    const auto document = classifier.classify(toImage(page), lineBoxes(14, 0.7, 0.025));
    EXPECT_EQ(top(document), "document");
    EXPECT_GT(confidenceOf(document, "document"), 0.35f);
    EXPECT_LE(confidenceOf(document, "photo"), 0.35f);

    Canvas noise(400, 300, 0);
    noise.noise(9);
    const auto photo = classifier.classify(toImage(noise), {});
    EXPECT_EQ(top(photo), "photo");
    EXPECT_GT(confidenceOf(photo, "photo"), 0.35f);

    Canvas night(600, 400, 8);
    night.text("Sleep", 250, 180, 20, 200);
    const auto dark = classifier.classify(toImage(night), lineBoxes(1, 0.1, 0.05));
    EXPECT_EQ(top(dark), "dark");
    EXPECT_LE(confidenceOf(dark, "document"), 0.35f);

    // Title bar, sidebar, a coloured button and a few labels.
    Canvas window(1000, 700, 246);
    window.fill(0, 0, 1000, 40, 222, 222, 226);
    window.fill(0, 40, 220, 660, 234, 236, 240);
    window.fill(300, 500, 160, 44, 40, 110, 230);
    window.text("Preferences", 440, 10, 16, 30, true);
    for (int i = 0; i < 6; ++i) {
        window.text("Section " + std::to_string(i), 20, 70 + 40 * i, 15, 40);
    }
    const auto ui = classifier.classify(toImage(window), lineBoxes(8, 0.15, 0.03));
    EXPECT_EQ(top(ui), "user_interface");

    // Big blocks of strong colour and hardly any text.
    Canvas bars(800, 500, 255);
    const std::uint8_t colours[4][3] = {
        {220, 60, 50}, {50, 120, 220}, {60, 180, 90}, {240, 170, 30}};
    for (int i = 0; i < 4; ++i) {
        bars.fill(100 + 160 * i, 450 - 90 * (i + 1), 110, 90 * (i + 1), colours[i][0],
                  colours[i][1], colours[i][2]);
    }
    bars.fill(80, 450, 680, 3, 0, 0, 0);
    const auto chart = classifier.classify(toImage(bars), lineBoxes(1, 0.2, 0.03));
    EXPECT_EQ(top(chart), "chart");
}

TEST_F(SceneClassification, confidencesStayInRangeAndSorted) {
    Canvas blank(50, 50, 255);
    Canvas black(50, 50, 0);
    Canvas tiny(1, 1, 128);
    for (Canvas* c : {&blank, &black, &tiny}) {
        // A box list larger than the image must not push coverage past 1.
        const auto labels = classifier.classify(toImage(*c), lineBoxes(40, 1.0, 1.0));
        ASSERT_FALSE(labels.empty());
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_GE(labels[i].confidence, 0.0f);
            EXPECT_LE(labels[i].confidence, 1.0f);
            if (i > 0) {
                EXPECT_GE(labels[i - 1].confidence, labels[i].confidence);
            }
            EXPECT_EQ(labels[i].identifier.find(' '), std::string::npos);
        }
    }
    EXPECT_TRUE(classifier.classify(RgbImage{}, {}).empty());
}

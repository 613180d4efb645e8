#include "reading/TextReader.h"
#include "ReadingTestImages.h"
#include "reading/TesseractRecognizer.h"
#include "reading/VipsRuntime.h"

#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <thread>

using namespace engine;
using reading_test::BmpLayout;
using reading_test::Canvas;
using testing::ElementsAre;

namespace {

TextObservation box(double x, double midY, const std::string& text, double height = 0.02) {
    return {x, midY - height / 2, 0.1, height, text};
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "reading-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int luma(const RgbImage& image, int x, int y) {
    const std::uint8_t* p = image.pixel(x, y);
    return (p[0] + p[1] + p[2]) / 3;
}

class TextReaderFiles : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(VipsRuntime::ensureStarted()); }
    TempFolder folder;
};

} // namespace

TEST(ReadingOrder, sameLineLeftToRightOtherwiseTopFirst) {
    // Mid-points 0.005 apart: one visual line, so the left box comes first.
    EXPECT_THAT(
        TextReader::linesInReadingOrder({box(0.6, 0.800, "right"), box(0.1, 0.805, "left")}),
        ElementsAre("left", "right"));
    // 0.02 apart: two lines, the higher first whatever the left edges.
    EXPECT_THAT(TextReader::linesInReadingOrder({box(0.1, 0.50, "lower"), box(0.7, 0.52, "upper")}),
                ElementsAre("upper", "lower"));
    // Equal boxes keep the recogniser's order.
    EXPECT_THAT(TextReader::linesInReadingOrder({box(0.2, 0.3, "first"), box(0.2, 0.3, "second")}),
                ElementsAre("first", "second"));
}

TEST(ReadingOrder, trimsAndDropsEmptyOrMissingText) {
    TextObservation noCandidate = box(0.1, 0.9, "");
    noCandidate.text.reset();
    EXPECT_THAT(TextReader::linesInReadingOrder({box(0.1, 0.7, "   "), noCandidate,
                                                 box(0.1, 0.5, "\n Total due \n"),
                                                 box(0.1, 0.3, "\t\r\n")}),
                ElementsAre("Total due"));
}

TEST(Hints, thresholdLimitAndUnderscores) {
    EXPECT_THAT(TextReader::hintsFrom(
                    {{"consumer_electronics", 0.9f}, {"at_threshold", 0.35f}, {"weak", 0.1f}}),
                ElementsAre("consumer electronics"));
    std::vector<SceneObservation> eight;
    for (int i = 0; i < 8; ++i) {
        eight.push_back({"label_" + std::to_string(i), 0.4f + 0.05f * (i % 3)});
    }
    // The classifier's order is kept, not re-sorted by confidence.
    EXPECT_THAT(TextReader::hintsFrom(eight),
                ElementsAre("label 0", "label 1", "label 2", "label 3", "label 4"));
}

TEST_F(TextReaderFiles, readsTitleAndBodyTopToBottom) {
    Canvas page(900, 400, 255);
    page.text("Flight to Lisbon Booking", 40, 40, 36, 0, true);
    page.text("Departure on Monday from Berlin", 40, 160, 20, 0);
    page.text("Seat 14A", 40, 220, 20, 0);
    const auto path = folder / "Screenshot.png";
    ASSERT_TRUE(page.save(path));

    const TextReader::Reading reading = TextReader::read(path, 1600);
    ASSERT_TRUE(reading.image);
    EXPECT_EQ(reading.image->width, 900);
    EXPECT_THAT(reading.lines, ElementsAre("Flight to Lisbon Booking",
                                           "Departure on Monday from Berlin", "Seat 14A"));
    EXPECT_LE(reading.hints.size(), 5u);
}

TEST_F(TextReaderFiles, lightTextOnDarkAreasIsRead) {
    Canvas page(900, 300, 250);
    page.fill(0, 0, 300, 300, 28, 30, 36); // dark sidebar
    page.text("Downloads", 30, 60, 22, 235);
    page.text("Invoice March", 360, 160, 22, 20);
    const auto mixed = folder / "mixed.png";
    ASSERT_TRUE(page.save(mixed));
    EXPECT_THAT(TextReader::read(mixed, 1600).lines, ElementsAre("Downloads", "Invoice March"));

    Canvas dark(700, 200, 18);
    dark.text("Terminal Settings", 40, 70, 28, 230);
    const auto darkPath = folder / "dark.png";
    ASSERT_TRUE(dark.save(darkPath));
    const auto reading = TextReader::read(darkPath, 1600);
    EXPECT_THAT(reading.lines, ElementsAre("Terminal Settings"));
    EXPECT_THAT(reading.hints, testing::Contains("dark"));
}

// With a dark panel on the page, the polarity is decided region by region; thick strokes of a
// large bold heading on the light part must keep their pixels and read as plainly as alone.
TEST_F(TextReaderFiles, boldHeadingsBesideDarkPanelsAndTitlesOnColouredBarsReadCleanly) {
    Canvas page(1440, 900, 250);
    page.fill(0, 0, 260, 900, 30, 32, 40);    // dark sidebar
    page.fill(260, 0, 1180, 60, 40, 90, 200); // coloured title bar
    page.text("Inbox", 40, 120, 24, 230);
    page.text("Weekly Planner", 300, 14, 26, 255, true);
    page.text("Dentist Appointment Reminder", 300, 160, 52, 10, true);
    page.text("Tuesday at the clinic on Main Street", 320, 320, 22, 20);
    const auto path = folder / "bold.png";
    ASSERT_TRUE(page.save(path));

    const TextReader::Reading reading = TextReader::read(path, 1600);
    EXPECT_THAT(reading.lines,
                testing::IsSupersetOf({"Weekly Planner", "Inbox", "Dentist Appointment Reminder",
                                       "Tuesday at the clinic on Main Street"}));
    // The layout image keeps a bold stroke dark and turns the panel over.
    const std::vector<std::uint8_t> layout =
        engine::TesseractRecognizer::darkTextOnLight(*reading.image);
    const auto at = [&](int x, int y) { return layout[static_cast<std::size_t>(y) * 1440 + x]; };
    EXPECT_GT(at(100, 600), 200); // sidebar background, inverted
    int darkInImage = 0;
    int darkInLayout = 0;
    for (int y = 160; y < 240; ++y) {
        for (int x = 300; x < 1400; ++x) {
            darkInImage += reading.image->pixels[(static_cast<std::size_t>(y) * 1440 + x) * 3] < 60;
            darkInLayout += at(x, y) < 60;
        }
    }
    EXPECT_GT(darkInImage, 1000);
    EXPECT_EQ(darkInLayout, darkInImage);

    // Each line keeps its box, text size and word confidences, in the order of `lines`.
    ASSERT_EQ(reading.lineDetails.size(), reading.lines.size());
    double headingSize = 0;
    double bodySize = 0;
    for (std::size_t i = 0; i < reading.lines.size(); ++i) {
        const engine::TextLine& line = reading.lineDetails[i];
        EXPECT_EQ(line.text, reading.lines[i]);
        EXPECT_FALSE(line.words.empty());
        EXPECT_GT(line.meanConfidence(), 50) << line.text;
        headingSize = line.text == "Dentist Appointment Reminder" ? line.textSize : headingSize;
        bodySize = line.text.starts_with("Tuesday") ? line.textSize : bodySize;
    }
    EXPECT_GT(headingSize, 2 * bodySize);
    EXPECT_GT(bodySize, 0);
}

TEST_F(TextReaderFiles, linesFollowReadingOrderAcrossColumnsAndCapKeepsTheFirst) {
    // Two columns whose lines alternate in height: top to bottom means switching columns on
    // every line, which a column-by-column reader would not do.
    const std::vector<std::string> left{"Invoice March", "Payment pending", "Hotel Lisbon",
                                        "Sales report",  "Team calendar",   "Server update"};
    const std::vector<std::string> right{"Flight booking", "Budget review",  "Weekly summary",
                                         "Release notes",  "Support ticket", "Order details"};
    Canvas page(1000, 800, 255);
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < left.size(); ++i) {
        const int y = 40 + static_cast<int>(i) * 120;
        page.text(left[i], 40, y, 24, 0);
        page.text(right[i], 560, y + 60, 24, 0);
        expected.push_back(left[i]);
        expected.push_back(right[i]);
    }
    const auto path = folder / "columns.png";
    ASSERT_TRUE(page.save(path));

    const TextReader::Reading whole = TextReader::read(path, 1600);
    ASSERT_EQ(whole.lines, expected);

    const TextReader::Reading capped = TextReader::read(path, 1600, 5);
    EXPECT_EQ(capped.lines, std::vector<std::string>(expected.begin(), expected.begin() + 5));
    EXPECT_EQ(capped.hints, whole.hints);
    ASSERT_TRUE(capped.image);
    EXPECT_EQ(capped.image->pixels, whole.image->pixels);

    EXPECT_EQ(TextReader::read(path, 1600, 40).lines, expected);
    EXPECT_TRUE(TextReader::read(path, 1600, 0).lines.empty());
}

TEST_F(TextReaderFiles, cappedReadingOfADensePageIsTheStartOfTheWholeReading) {
    // A page like a document window: a title, then paragraphs that wrap into many lines.
    Canvas page(1100, 700, 250);
    page.fill(0, 0, 1100, 36, 232, 232, 234);
    page.text("Quarterly Budget Review", 420, 8, 16, 40, true);
    const std::string paragraph =
        "The budget review for the quarterly meeting covers the project timeline and customer "
        "feedback on the release schedule. Shipping address changes are pending and the weekly "
        "sales growth report is attached with the marketing plan draft. ";
    int y = 60;
    for (int i = 0; i < 3; ++i) {
        y += page.wrappedText(paragraph + paragraph, 40, y, 16, 1000, 30) + 20;
    }
    const auto path = folder / "dense.png";
    ASSERT_TRUE(page.save(path));

    const auto whole = TextReader::read(path, 1600).lines;
    ASSERT_GT(whole.size(), 10u);
    EXPECT_EQ(whole.front(), "Quarterly Budget Review");
    const auto capped = TextReader::read(path, 1600, 10).lines;
    EXPECT_EQ(capped, std::vector<std::string>(whole.begin(), whole.begin() + 10));

    // Pages read at the same time share the helper thread; each gets its own lines, in order.
    std::vector<std::string> first;
    std::vector<std::string> second;
    std::thread other([&] { first = TextReader::read(path, 1600, 12).lines; });
    second = TextReader::read(path, 1600).lines;
    other.join();
    EXPECT_EQ(first, std::vector<std::string>(whole.begin(), whole.begin() + 12));
    EXPECT_EQ(second, whole);
}

TEST_F(TextReaderFiles, blankImageHasImageButNoLines) {
    const auto path = folder / "blank.png";
    ASSERT_TRUE(Canvas(640, 480, 255).save(path));
    const auto reading = TextReader::read(path, 1600);
    ASSERT_TRUE(reading.image);
    EXPECT_TRUE(reading.lines.empty());
}

TEST_F(TextReaderFiles, downsizesToTheLongerSideButNeverEnlarges) {
    const auto wide = folder / "wide.png";
    ASSERT_TRUE(Canvas(2000, 1000, 200).save(wide));
    auto image = TextReader::loadImage(wide, 500);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 500);
    EXPECT_EQ(image->height, 250);
    EXPECT_EQ(image->pixels.size(), 500u * 250 * 3);

    const auto tall = folder / "tall.jpg";
    ASSERT_TRUE(Canvas(300, 900, 200).save(tall));
    image = TextReader::loadImage(tall, 600);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 200);
    EXPECT_EQ(image->height, 600);

    image = TextReader::loadImage(wide, 4000);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 2000);
    EXPECT_FALSE(TextReader::loadImage(wide, 0));
}

TEST_F(TextReaderFiles, exifOrientationIsApplied) {
    // Stored landscape with the left half black; orientation 6 shows it turned clockwise, so
    // the black half ends up on top.
    Canvas stored(200, 100, 255);
    stored.fill(0, 0, 100, 100, 0, 0, 0);
    VipsImage* image = stored.toVips();
    vips_image_set_int(image, "orientation", 6);
    const auto path = folder / "rotated.jpg";
    ASSERT_EQ(vips_jpegsave(image, path.c_str(), nullptr), 0);
    g_object_unref(image);

    const auto upright = TextReader::loadImage(path, 1600);
    ASSERT_TRUE(upright);
    EXPECT_EQ(upright->width, 100);
    EXPECT_EQ(upright->height, 200);
    EXPECT_LT(luma(*upright, 50, 30), 40);
    EXPECT_GT(luma(*upright, 50, 170), 215);
}

TEST_F(TextReaderFiles, alphaIsFlattenedOnWhite) {
    Canvas black(64, 64, 0);
    VipsImage* rgb = black.toVips();
    VipsImage* alpha = nullptr;
    VipsImage* rgba = nullptr;
    // Left half fully transparent, right half half transparent.
    ASSERT_EQ(vips_black(&alpha, 64, 64, nullptr), 0);
    VipsImage* ramp = nullptr;
    ASSERT_EQ(vips_xyz(&ramp, 64, 64, nullptr), 0);
    VipsImage* x = nullptr;
    ASSERT_EQ(vips_extract_band(ramp, &x, 0, nullptr), 0);
    VipsImage* mask = nullptr;
    ASSERT_EQ(vips_more_const1(x, &mask, 31, nullptr), 0); // 255 on the right half
    VipsImage* halfMask = nullptr;
    ASSERT_EQ(vips_linear1(mask, &halfMask, 0.5, 0, "uchar", TRUE, nullptr), 0);
    ASSERT_EQ(vips_bandjoin2(rgb, halfMask, &rgba, nullptr), 0);
    rgba->Type = VIPS_INTERPRETATION_sRGB;
    const auto path = folder / "transparent.png";
    ASSERT_EQ(vips_pngsave(rgba, path.c_str(), nullptr), 0);
    for (VipsImage* i : {rgb, alpha, ramp, x, mask, halfMask, rgba}) {
        g_object_unref(i);
    }

    const auto image = TextReader::loadImage(path, 1600);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels.size(), 64u * 64 * 3);
    EXPECT_EQ(luma(*image, 5, 5), 255);
    EXPECT_NEAR(luma(*image, 60, 5), 128, 3);
}

TEST_F(TextReaderFiles, everyImageExtensionDecodes) {
    Canvas picture(120, 80, 30, 140, 220);
    picture.fill(0, 0, 60, 80, 250, 250, 250);
    for (const std::string ext :
         {"png", "jpg", "jpeg", "heic", "heif", "tiff", "tif", "webp", "gif"}) {
        const auto path = folder / ("image." + ext);
        ASSERT_TRUE(picture.save(path)) << ext;
        const auto image = TextReader::loadImage(path, 1600);
        ASSERT_TRUE(image) << ext;
        EXPECT_EQ(image->width, 120) << ext;
        EXPECT_EQ(image->height, 80) << ext;
        EXPECT_GT(luma(*image, 10, 40), 230) << ext;
        EXPECT_NEAR(image->pixel(100, 40)[2], 220, 20) << ext;
    }

    BmpLayout bmp;
    bmp.width = 3000; // also checks that a decoded bitmap is downsized
    bmp.height = 1000;
    bmp.pixel = [](int x, int) -> std::uint32_t { return x < 1500 ? 0xFFFFFF : 0x1E8CDC; };
    const auto bmpPath = folder / "image.bmp";
    writeBytes(bmpPath, reading_test::bmpBytes(bmp));
    const auto image = TextReader::loadImage(bmpPath, 1500);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 1500);
    EXPECT_EQ(image->height, 500);
    EXPECT_GT(luma(*image, 100, 250), 250);
    EXPECT_NEAR(image->pixel(1400, 250)[2], 220, 3);
}

TEST_F(TextReaderFiles, unreadableFilesGiveTheEmptyReading) {
    const auto check = [](const std::filesystem::path& path) {
        // Quietly: libvips would otherwise describe broken files on standard error.
        testing::internal::CaptureStderr();
        const bool empty = TextReader::read(path, 1600).isEmpty();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << path;
        EXPECT_TRUE(empty) << path;
    };
    check(folder / "missing.png");
    check(folder / "");

    writeBytes(folder / "empty.png", {});
    check(folder / "empty.png");

    std::ofstream(folder / "notes.jpg") << "This is a text file, not a picture.\n";
    check(folder / "notes.jpg");

    // An image format whose libvips loader is not trusted.
    std::ofstream(folder / "vector.png")
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"/>";
    check(folder / "vector.png");

    Canvas picture(400, 300, 0);
    picture.noise(3);
    for (const std::string ext : {"png", "jpg", "webp", "gif", "tiff"}) {
        const auto whole = folder / ("whole." + ext);
        ASSERT_TRUE(picture.save(whole));
        const auto bytes = readBytes(whole);
        const auto truncated = folder / ("truncated." + ext);
        writeBytes(truncated,
                   {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2)});
        check(truncated);
    }

    std::mt19937 random(11);
    std::vector<std::uint8_t> garbage(4096);
    for (auto& b : garbage) {
        b = static_cast<std::uint8_t>(random());
    }
    writeBytes(folder / "garbage.heic", garbage);
    check(folder / "garbage.heic");
    garbage[0] = 'B';
    garbage[1] = 'M';
    writeBytes(folder / "garbage.bmp", garbage);
    check(folder / "garbage.bmp");

    std::filesystem::create_directory(folder / "folder.png");
    check(folder / "folder.png");
}

namespace {

// A GIF whose first frame lies far outside its 12 by 8 screen grows the canvas to the frame;
// libvips then allocates the whole canvas, so a few bytes can ask for gigabytes.
std::vector<std::uint8_t> gifWithFrame(std::uint16_t top, std::uint16_t width,
                                       std::uint16_t height) {
    std::vector<std::uint8_t> gif = {'G',  'I', 'F', '8', '9', 'a', 12,  0,   8,  0,
                                     0x80, 0,   0,   0,   0,   0,   255, 255, 255};
    const auto u16 = [&](std::uint16_t v) {
        gif.push_back(static_cast<std::uint8_t>(v & 0xFF));
        gif.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    gif.push_back(',');
    u16(0);
    u16(top);
    u16(width);
    u16(height);
    gif.push_back(0);
    const std::vector<std::uint8_t> pixels = {2,    8,    0x8c, 0x8f, 0xa9, 0xcb,
                                              0xed, 0x0f, 0x63, 0x2a, 0,    ';'};
    gif.insert(gif.end(), pixels.begin(), pixels.end());
    return gif;
}

} // namespace

TEST_F(TextReaderFiles, imagesAskingForMoreThanTheLimitAreRefusedBeforeDecoding) {
    writeBytes(folder / "bomb.gif", gifWithFrame(0, 12'000, 12'000));
    testing::internal::CaptureStderr();
    const auto refused = TextReader::loadImage(folder / "bomb.gif", 1600);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(refused.has_value());

    writeBytes(folder / "grown.gif", gifWithFrame(40, 300, 200));
    const auto grown = TextReader::loadImage(folder / "grown.gif", 1600);
    ASSERT_TRUE(grown.has_value());
    EXPECT_EQ(grown->width, 300);
    EXPECT_EQ(grown->height, 240);
}

#include "naming/Namer.h"
#include "unicode/Unicode.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace engine;
using ::testing::Optional;

namespace {

std::vector<Correction> numberedCorrections(int count) {
    std::vector<Correction> corrections;
    for (int i = 1; i <= count; ++i) {
        corrections.push_back({"s" + std::to_string(i), "c" + std::to_string(i)});
    }
    return corrections;
}

std::string correctionLine(const Correction& c) {
    return "- Instead of \"" + c.suggested + "\" they chose \"" + c.chosen + "\"\n";
}

const std::string header = "\n\nThe user corrected earlier names like this. Match their style:\n";

} // namespace

TEST(NamerInstructions, fixedTextIsExactFiveLinesOf574Characters) {
    const std::string expected =
        R"(You give screenshot files short, specific names, like a careful person would.
Reply with the name only: 2 to 6 words that say what the screenshot is about, for example "Dentist Appointment Reminder", "Flight to Lisbon Booking" or "GitHub Pull Request Review".
Prefer the most specific detail: the app, the person, the place, the product or the topic.
Never include dates, times, file extensions, quotes, emoji or the words "screenshot" or "image".
If the screenshot shows private details such as passwords or card numbers, describe the kind of screen instead of the details.)";
    const std::string& text = Namer::instructionsText();
    EXPECT_EQ(text, expected);
    EXPECT_EQ(Unicode::characterCount(text), 574u);
    EXPECT_EQ(text.size(), 574u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(Namer::makeInstructions({}), text);
}

TEST(NamerInstructions, correctionsBlockShowsTheLastEightOldestFirst) {
    const auto one = numberedCorrections(1);
    EXPECT_EQ(Namer::makeInstructions(one),
              Namer::instructionsText() + header + "- Instead of \"s1\" they chose \"c1\"\n");

    const auto twelve = numberedCorrections(12);
    std::string block = header;
    for (std::size_t i = 4; i < 12; ++i) {
        block += correctionLine(twelve[i]);
    }
    EXPECT_EQ(Namer::makeInstructions(twelve), Namer::instructionsText() + block);

    const std::vector<Correction> twins = {{"Img", "Cat Photo"}, {"Img", "Cat Photo"}};
    EXPECT_EQ(Namer::makeInstructions(twins), Namer::instructionsText() + header +
                                                  correctionLine(twins[0]) +
                                                  correctionLine(twins[1]));
}

TEST(NamerContext, linesAreCappedAtFortyAndEighteenHundredCharacters) {
    TextReader::Reading reading;
    for (int i = 0; i < 55; ++i) {
        reading.lines.push_back("L" + std::to_string(i));
    }
    const std::string context = Namer::makeContext(reading);
    EXPECT_TRUE(context.starts_with("Text visible in the screenshot:\nL0\nL1\n"));
    EXPECT_TRUE(context.ends_with("\nL39"));

    // 40 lines of 100 characters, each "e" with a combining accent: the cut counts characters,
    // not bytes or scalars, and lands inside line 18.
    const std::string accented = "e\xCC\x81";
    std::string line;
    for (int i = 0; i < 100; ++i) {
        line += accented;
    }
    reading.lines.assign(40, line);
    const std::string text =
        Namer::makeContext(reading).substr(std::string("Text visible in the screenshot:\n").size());
    EXPECT_EQ(Unicode::characterCount(text), 1800u);
    EXPECT_TRUE(text.ends_with("\n" + Unicode::prefixCharacters(line, 1800 - 17 * 101)));
}

TEST(NamerContext, hintsAndSections) {
    TextReader::Reading reading;
    EXPECT_EQ(Namer::makeContext(reading), "");

    reading.hints = {"outdoor", "sky"};
    EXPECT_EQ(Namer::makeContext(reading), "Scene hints: outdoor, sky");

    reading.lines = {"Inbox", "Flight"};
    EXPECT_EQ(Namer::makeContext(reading),
              "Text visible in the screenshot:\nInbox\nFlight\n\nScene hints: outdoor, sky");
}

TEST(NamerSanitize, cutsForbiddenCharactersAndCollapsesSpaces) {
    EXPECT_EQ(Namer::sanitizeForFileName("Q3/Q4 Report: Summary"), "Q3 Q4 Report Summary");
    EXPECT_EQ(Namer::sanitizeForFileName(R"(a\b?c%d*e|f"g<h>i)"), "a b c d e f g h i");
    EXPECT_EQ(Namer::sanitizeForFileName("  //a  :: b  "), "a b");
    EXPECT_EQ(Namer::sanitizeForFileName(std::string_view("nul\0byte", 8)), "nul byte");
    EXPECT_EQ(Namer::sanitizeForFileName("tab\there\rcr\u2028ls\u0085nel"), "tab here cr ls nel");
    EXPECT_EQ(Namer::sanitizeForFileName("soft\u00ADhyphen"), "soft hyphen"); // Cf
    EXPECT_EQ(Namer::sanitizeForFileName("///"), "");
}

TEST(NamerSanitize, worksOnScalarsSoAJoinerSplitsAnEmojiSequence) {
    // woman, zero-width joiner, laptop
    EXPECT_EQ(Namer::sanitizeForFileName("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"),
              "\xF0\x9F\x91\xA9 \xF0\x9F\x92\xBB");
    // Bytes that are not UTF-8 never reach a file name as they are.
    EXPECT_TRUE(Unicode::isValidUtf8(Namer::sanitizeForFileName("bad\xFF name")));
}

TEST(NamerClean, stripsQuotesEmphasisAndLabels) {
    EXPECT_THAT(Namer::clean("\u201CFlight to Lisbon Booking.\u201D"),
                Optional(std::string("Flight to Lisbon Booking")));
    EXPECT_THAT(Namer::clean("\"Dentist Reminder\""), Optional(std::string("Dentist Reminder")));
    // Quotes are trimmed before punctuation: the closing quote survives behind the full stop.
    EXPECT_THAT(Namer::clean("\u201CInvoice Draft\u201D."),
                Optional(std::string("Invoice Draft\u201D")));
    EXPECT_THAT(Namer::clean("**Budget Sheet**"), Optional(std::string("Budget Sheet")));
    EXPECT_THAT(Namer::clean("name: Dentist Reminder"), Optional(std::string("Dentist Reminder")));
    EXPECT_THAT(Namer::clean("NAME:\tDentist Reminder"), Optional(std::string("Dentist Reminder")));
    EXPECT_THAT(Namer::clean("Title: Screenshot of Invoice"), Optional(std::string("Invoice")));
    EXPECT_THAT(Namer::clean("A screenshot of a cat"), Optional(std::string("a cat")));
    EXPECT_THAT(Namer::clean("Q3/Q4 Report: Summary"),
                Optional(std::string("Q3 Q4 Report Summary")));
}

TEST(NamerClean, keepsTheFirstLineOnly) {
    EXPECT_THAT(Namer::clean("Dentist Reminder\nThis name fits because it is short."),
                Optional(std::string("Dentist Reminder")));
    EXPECT_THAT(Namer::clean("\r\n\r\nBoarding Pass\u2028explanation"),
                Optional(std::string("Boarding Pass")));
    EXPECT_THAT(Namer::clean("Tax Form\u2029more"), Optional(std::string("Tax Form")));
    EXPECT_THAT(Namer::clean("Tax Form\vmore"), Optional(std::string("Tax Form")));
    EXPECT_EQ(Namer::clean("\n\n\r\n"), std::nullopt);
}

TEST(NamerClean, limitsWordsAndCharacters) {
    EXPECT_THAT(Namer::clean("one two three four five six seven eight nine ten eleven twelve"),
                Optional(std::string("one two three four five six seven eight")));
    const std::string longWord(75, 'x');
    EXPECT_THAT(Namer::clean(longWord), Optional(std::string(70, 'x')));
    // The cut at 70 characters leaves no space at the end.
    const std::string cutBeforeSpace = std::string(69, 'a') + " bcd";
    EXPECT_THAT(Namer::clean(cutBeforeSpace), Optional(std::string(69, 'a')));
    // Characters, not bytes: 70 accented letters are kept whole.
    std::string accented;
    for (int i = 0; i < 72; ++i) {
        accented += "\xC3\xA9";
    }
    const auto cleaned = Namer::clean(accented);
    ASSERT_TRUE(cleaned.has_value());
    EXPECT_EQ(Unicode::characterCount(*cleaned), 70u);
}

TEST(NamerClean, rejectsWhatIsTooShort) {
    EXPECT_EQ(Namer::clean(""), std::nullopt);
    EXPECT_EQ(Namer::clean("A"), std::nullopt);
    EXPECT_EQ(Namer::clean("\"A.\""), std::nullopt);
    EXPECT_EQ(Namer::clean("\"...\" !?"), std::nullopt);
    EXPECT_EQ(Namer::clean("Name:"), std::nullopt);
    EXPECT_THAT(Namer::clean("Go"), Optional(std::string("Go")));
}

// Styling drops spaces, dashes and underscores, so what follows them must not be a dot: the
// file would be hidden, or named only with dots.
TEST(NamerClean, rejectsWhatWouldMakeAHiddenFile) {
    EXPECT_EQ(Namer::clean("-_.hidden_-"), std::nullopt);
    EXPECT_EQ(Namer::clean("-_..._-"), std::nullopt);
    EXPECT_EQ(Namer::clean("-_ .env file"), std::nullopt);
    EXPECT_THAT(Namer::clean("- .env file"), Optional(std::string("env file")));
    EXPECT_THAT(Namer::clean("x_.hidden"), Optional(std::string("x_.hidden")));
    EXPECT_EQ(Namer::heuristicName({"-_.config settings page"}), std::nullopt);
}

TEST(NamerHeuristic, picksTheMostNameLikeLine) {
    // The time and the address are rejected; Inbox scores 5, the booking 31.
    EXPECT_THAT(Namer::heuristicName(
                    {"9:41", "Inbox", "Flight to Lisbon Booking", "https://example.com/booking"}),
                Optional(std::string("Flight to Lisbon Booking")));
    EXPECT_THAT(Namer::heuristicName({"10:30 Team standup", "Calendar"}),
                Optional(std::string("Calendar")));
    EXPECT_EQ(Namer::heuristicName({"2026-03-14 14:02"}), std::nullopt);
    EXPECT_EQ(Namer::heuristicName({"abc", "12345", ""}), std::nullopt);
    EXPECT_EQ(Namer::heuristicName({}), std::nullopt);
    // Letters of any script count.
    EXPECT_THAT(Namer::heuristicName({"Überweisung bestätigen"}),
                Optional(std::string("Überweisung bestätigen")));
}

TEST(NamerHeuristic, rejectsLinesOutsideTheLimits) {
    const std::string elevenWords = "aaaa bb cc dd ee ff gg hh ii jj kk";
    EXPECT_EQ(Namer::heuristicName({elevenWords}), std::nullopt);
    const std::string sixtyOne = std::string(30, 'a') + " " + std::string(30, 'b');
    EXPECT_EQ(Namer::heuristicName({sixtyOne}), std::nullopt);
    const std::string sixty = std::string(29, 'a') + " " + std::string(30, 'b');
    EXPECT_THAT(Namer::heuristicName({sixty}), Optional(sixty));
    // Exactly 0.6 letters per character is not enough.
    EXPECT_EQ(Namer::heuristicName({"abcdef1234"}), std::nullopt);
    EXPECT_THAT(Namer::heuristicName({"abcdefg123"}), Optional(std::string("abcdefg123")));
    // Only the first 15 lines are looked at.
    std::vector<std::string> lines(15, "x");
    lines.push_back("Boarding Pass");
    EXPECT_EQ(Namer::heuristicName(lines), std::nullopt);
}

TEST(NamerHeuristic, scoresTiesAndLongLines) {
    EXPECT_THAT(Namer::heuristicName({"Cat Photo", "Dog Photo"}),
                Optional(std::string("Cat Photo")));
    // The bonus for more than one word decides: 14 against 10 + 10.
    EXPECT_THAT(Namer::heuristicName({"Administration", "Hello World"}),
                Optional(std::string("Hello World")));
    // Seven or more words cost 8: 20 + 10 - 8 loses to 15 + 10.
    EXPECT_THAT(Namer::heuristicName({"aaa bbb ccc ddd eee fff gg", "abcdefghijklmn o"}),
                Optional(std::string("abcdefghijklmn o")));
    EXPECT_THAT(Namer::heuristicName({"This is a very long sentence about nothing in particular"}),
                Optional(std::string("This is a very long sentence")));
    // The line is sanitised before it becomes a name.
    EXPECT_THAT(Namer::heuristicName({"Invoices | Q3 * Overview"}),
                Optional(std::string("Invoices Q3 Overview")));
}

TEST(NamerSource, rawValuesAreTheStoredNames) {
    EXPECT_EQ(Namer::sourceFromRawValue("vision"), Namer::Source::vision);
    EXPECT_EQ(Namer::sourceFromRawValue("text"), Namer::Source::text);
    EXPECT_EQ(Namer::sourceFromRawValue("heuristic"), Namer::Source::heuristic);
    EXPECT_EQ(Namer::rawValue(Namer::Source::heuristic), "heuristic");
    EXPECT_EQ(Namer::sourceFromRawValue("Vision"), std::nullopt);
}

namespace {

// Lines as the recogniser gives them: from the top down, one word box per word.
std::vector<engine::TextLine> sized(const std::vector<std::string>& lines,
                                    const std::vector<double>& sizes,
                                    const std::vector<float>& confidences) {
    std::vector<engine::TextLine> details;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        engine::TextLine line;
        line.text = lines[i];
        line.x = 0.1;
        line.y = 0.95 - 0.05 * static_cast<double>(i);
        line.height = sizes[i];
        line.textSize = sizes[i];
        double x = 0.1;
        for (const std::string& word : engine::Unicode::splitDroppingEmpty(lines[i], ' ')) {
            const double width = 0.006 * static_cast<double>(word.size());
            line.words.push_back({x, width, sizes[i], confidences[i]});
            x += width + 0.006;
        }
        details.push_back(line);
    }
    return details;
}

} // namespace

TEST(NamerHeuristicRanking, equalOrUnknownSizesAndConfidencesGiveThePlainResult) {
    const std::vector<std::vector<std::string>> cases = {
        {"9:41", "Inbox", "Flight to Lisbon Booking", "https://example.com/booking"},
        {"Cat Photo", "Dog Photo"},
        {"File Edit View Help", "Quarterly numbers for the board"},
        {"This is a very long sentence about nothing in particular"},
        {"x", "abc"},
    };
    for (const auto& lines : cases) {
        const auto plain = Namer::heuristicName(lines);
        const std::vector<double> sizes(lines.size(), 0.02);
        const std::vector<float> confidences(lines.size(), 91);
        EXPECT_EQ(Namer::heuristicName(lines, sized(lines, sizes, confidences), 1.6), plain);
        EXPECT_EQ(Namer::heuristicName(lines, {}, 1.6), plain);
    }
    engine::TextReader::Reading plainStrings;
    plainStrings.lines = {"Inbox", "Flight to Lisbon Booking"};
    EXPECT_EQ(Namer::heuristicNameFor(plainStrings), Namer::heuristicName(plainStrings.lines));
}

TEST(NamerHeuristicRanking, headingsInLargerTypeComeFirstAndTheLargestWins) {
    const std::vector<std::string> lines = {"Meeting Notes", "Product Review",
                                            "Decisions and Next Steps for December"};
    EXPECT_THAT(Namer::heuristicName(lines, sized(lines, {0.02, 0.04, 0.02}, {95, 95, 95}), 1.6),
                Optional(std::string("Product Review")));
    EXPECT_THAT(Namer::heuristicName(lines, sized(lines, {0.05, 0.03, 0.02}, {95, 95, 95}), 1.6),
                Optional(std::string("Meeting Notes")));
    // A heading over one longer line: the body is the size most words are in.
    const std::vector<std::string> two = {"Dentist appointment",
                                          "Tuesday 10:30 with Dr. Weber at the practice"};
    EXPECT_THAT(Namer::heuristicName(two, sized(two, {0.04, 0.02}, {95, 95}), 1.6),
                Optional(std::string("Dentist appointment")));
}

TEST(NamerHeuristicRanking, chromeAndWeaklyReadLinesAreNoNames) {
    // A menu bar, a row of buttons, an address and a misread headline lose to plain text.
    const std::vector<std::string> lines = {"File Edit View Bookmarks Go Help", "Cancel OK",
                                            "docs.example.org/guide/install",
                                            "Dentist Aywosmthaant Remaiechor", "Setup notes"};
    const auto details = sized(lines, {0.02, 0.02, 0.02, 0.05, 0.02}, {96, 96, 96, 58, 96});
    EXPECT_THAT(Namer::heuristicName(lines, details, 1.6), Optional(std::string("Setup notes")));
    // Words set far apart are tabs or a toolbar, whatever they say.
    auto tabs = sized({"Overview Reports Archive", "Setup notes"}, {0.02, 0.02}, {96, 90});
    for (std::size_t i = 0; i < tabs[0].words.size(); ++i) {
        tabs[0].words[i].x = 0.1 + 0.2 * static_cast<double>(i);
    }
    EXPECT_THAT(Namer::heuristicName({"Overview Reports Archive", "Setup notes"}, tabs, 1.6),
                Optional(std::string("Setup notes")));
    // Letters in an order no language writes, even when read confidently.
    const std::vector<std::string> noise = {"Xkcdfgh Qwrtzpl", "Sign in"};
    EXPECT_EQ(Namer::heuristicName(noise, sized(noise, {0.03, 0.02}, {88, 96}), 1.6), std::nullopt);
}

TEST(NamerHeuristicRanking, titleBarsQuestionsAndTitlesBeatBodyText) {
    const std::vector<std::string> window = {"report.ods - Spreadsheet",
                                             "Totals for every region of the year"};
    EXPECT_THAT(Namer::heuristicName(window, sized(window, {0.02, 0.02}, {92, 96}), 1.6),
                Optional(std::string("report.ods - Spreadsheet")));
    const std::vector<std::string> dialog = {"Your document has unsaved changes in it",
                                             "Save changes before closing?"};
    EXPECT_THAT(Namer::heuristicName(dialog, sized(dialog, {0.02, 0.02}, {96, 92}), 1.6),
                Optional(std::string("Save changes before closing")));
    // A title in capitals beats a longer sentence; a sentence cut at the line end loses.
    const std::vector<std::string> page = {"Everyone is permitted to copy and",
                                           "GENERAL PUBLIC LICENSE"};
    EXPECT_THAT(Namer::heuristicName(page, sized(page, {0.02, 0.02}, {96, 93}), 1.6),
                Optional(std::string("GENERAL PUBLIC LICENSE")));
}

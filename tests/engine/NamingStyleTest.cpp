#include "naming/NamingStyle.h"
#include "unicode/Unicode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace engine;
using Case = NamingStyle::Case;

namespace {

std::string styled(Case style, std::string_view name) {
    return NamingStyle(style).apply(name);
}

// Sets TZ for one test and puts the previous value back.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            previous_ = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone() {
        if (previous_) {
            setenv("TZ", previous_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

private:
    std::optional<std::string> previous_;
};

NamingStyle::Date utc(int year, int month, int day, int hour, int minute) {
    using namespace std::chrono;
    return sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute};
}

} // namespace

TEST(NamingStyleValues, rawValuesInSettingsOrder) {
    std::vector<std::string_view> raws;
    for (const auto style : NamingStyle::allCases()) {
        raws.push_back(style.rawValue());
        EXPECT_EQ(NamingStyle::fromRawValue(style.rawValue()), style);
    }
    EXPECT_EQ(raws, (std::vector<std::string_view>{"titleCase", "sentence", "lowercaseDashes",
                                                   "dateFirst"}));
    EXPECT_EQ(NamingStyle::fromRawValue("TitleCase"), std::nullopt);
    EXPECT_EQ(NamingStyle::fromRawValue(""), std::nullopt);
}

TEST(NamingStyleTitleCase, smallWordsStayLowerInsideOnly) {
    EXPECT_EQ(styled(Case::titleCase, "a trip to the mountains"), "A Trip to the Mountains");
    EXPECT_EQ(styled(Case::titleCase, "what it is for"), "What It Is For");
    EXPECT_EQ(styled(Case::titleCase, "notes from the VS code meeting"),
              "Notes from the VS Code Meeting");
    // A lone letter never passes the keep rule and "i" is not a small word.
    EXPECT_EQ(styled(Case::titleCase, "what i saw"), "What I Saw");
    EXPECT_EQ(styled(Case::titleCase, "e-mail receipt"), "E Mail Receipt");
    EXPECT_EQ(styled(Case::titleCase, "snake_case  name"), "Snake Case Name");
}

TEST(NamingStyleTitleCase, keepsAcronymsAndInnerCapitals) {
    EXPECT_EQ(styled(Case::titleCase, "github PR review for iPhone"),
              "Github PR Review for iPhone");
    EXPECT_EQ(styled(Case::titleCase, "GitHub PDF2 export"), "GitHub PDF2 Export");
    EXPECT_EQ(styled(Case::titleCase, "BOARDING pass"), "BOARDING Pass");
    EXPECT_EQ(styled(Case::titleCase, "mcDonald hELLO menu"), "mcDonald hELLO Menu");
    // Other words are lower-cased first.
    EXPECT_EQ(styled(Case::titleCase, "Flight To The Moon"), "Flight to the Moon");
    // Digits play no part in the test: one letter is not enough to keep "A1".
    EXPECT_EQ(styled(Case::sentence, "seat A1 ticket"), "Seat a1 ticket");
    EXPECT_EQ(styled(Case::sentence, "Über Äpfel"), "Über äpfel");
}

TEST(NamingStyleTitleCase, firstLetterUsesTheFullUpperCaseMapping) {
    EXPECT_EQ(styled(Case::titleCase, "ßig éclair"), "SSig Éclair");
    EXPECT_EQ(styled(Case::sentence, "ﬁsh market"), "FIsh market"); // ligature fi
}

TEST(NamingStyleSentence, capitalisesOnlyTheFirstWord) {
    EXPECT_EQ(styled(Case::sentence, "Flight To LISBON"), "Flight to LISBON");
    EXPECT_EQ(styled(Case::sentence, "dentist appointment reminder"),
              "Dentist appointment reminder");
    EXPECT_EQ(styled(Case::sentence, "iPhone battery settings"), "iPhone battery settings");
}

TEST(NamingStyleDashes, lowerCasesEverythingIncludingAcronyms) {
    EXPECT_EQ(styled(Case::lowercaseDashes, "Dentist PDF Reminder"), "dentist-pdf-reminder");
    EXPECT_EQ(styled(Case::lowercaseDashes, "e-mail receipt"), "e-mail-receipt");
    EXPECT_EQ(styled(Case::lowercaseDashes, "snake_case_name"), "snake-case-name");
    EXPECT_EQ(styled(Case::lowercaseDashes, " --Über  Straße-- "), "über-straße");
}

TEST(NamingStyleAnyStyle, emptyOrSeparatorOnlyNamesComeBackUnchanged) {
    for (const auto style : NamingStyle::allCases()) {
        EXPECT_EQ(style.apply(""), "");
        EXPECT_EQ(style.apply(" -_ -"), " -_ -");
    }
}

TEST(NamingStyleDateFirst, usesTheDayOfTheCurrentTimeZone) {
    const NamingStyle dateFirst(Case::dateFirst);
    const auto lateEvening = utc(2026, 1, 3, 23, 30);
    {
        const ScopedTimeZone zone("UTC0");
        EXPECT_EQ(dateFirst.apply("a trip to the mountains", lateEvening),
                  "2026-01-03 A Trip to the Mountains");
    }
    {
        const ScopedTimeZone zone("JST-9");
        EXPECT_EQ(dateFirst.apply("beach", lateEvening), "2026-01-04 Beach");
    }
    {
        const ScopedTimeZone zone("EST5");
        EXPECT_EQ(dateFirst.apply("beach", utc(2026, 1, 1, 3, 0)), "2025-12-31 Beach");
    }
}

TEST(NamingStyleDateFirst, exampleDateIsMidnightOfElevenNovemberLocally) {
    const std::vector<std::string> expected = {
        "Dentist Appointment Reminder", "Dentist appointment reminder",
        "dentist-appointment-reminder", "2026-11-11 Dentist Appointment Reminder"};
    for (const char* zone : {"UTC0", "JST-9", "HST10"}) {
        const ScopedTimeZone scoped(zone);
        const auto date = NamingStyle::exampleDate();
        for (std::size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(NamingStyle::allCases()[i].apply("dentist appointment reminder", date),
                      expected[i])
                << zone;
        }
        const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
        std::tm local{};
        localtime_r(&seconds, &local);
        EXPECT_EQ(local.tm_hour, 0) << zone;
        EXPECT_EQ(local.tm_min, 0) << zone;
    }
}

TEST(NamingStyleDateFirst, withoutADateUsesToday) {
    const ScopedTimeZone zone("UTC0");
    const auto day = [] {
        const std::time_t now = std::time(nullptr);
        std::tm today{};
        gmtime_r(&now, &today);
        char text[16];
        std::strftime(text, sizeof text, "%Y-%m-%d", &today);
        return std::string(text);
    };
    const std::string before = day();
    const std::string result = NamingStyle(Case::dateFirst).apply("beach");
    const std::string after = day();
    EXPECT_TRUE(result == before + " Beach" || result == after + " Beach") << result;
}

// Names made of long characters: Devanagari clusters of four scalars, supplementary CJK, a
// letter under a pile of accents, and a capital whose lower case is longer.
TEST(NamingStyleAnyStyle, longNamesFitAFileNameWithExtensionAndNumber) {
    std::string devanagari;
    std::string cjk;
    std::string capitals;
    for (int i = 0; i < 70; ++i) {
        devanagari += "\u0915\u094D\u0937\u093F";
        cjk += "\U00020000";
        capitals += i % 7 == 6 ? " " : "\u0130";
    }
    const std::string accented = "a" + [] {
        std::string marks;
        for (int i = 0; i < 200; ++i) {
            marks += "\u0301";
        }
        return marks;
    }();
    for (const auto& [name, firstCharacter] :
         {std::pair<std::string, std::string>{devanagari, "\u0915\u094D\u0937\u093F"},
          {cjk, "\U00020000"},
          {capitals, ""},
          {accented, ""}}) {
        for (const auto style : NamingStyle::allCases()) {
            const std::string stem = style.apply(name, NamingStyle::exampleDate());
            const std::string fileName = stem + " 99999.jpeg";
            EXPECT_LE(fileName.size(), 255u) << style.rawValue();
            ASSERT_FALSE(stem.empty()) << style.rawValue();
            EXPECT_TRUE(Unicode::isValidUtf8(stem)) << style.rawValue();
            EXPECT_NE(stem.back(), ' ') << style.rawValue();
            EXPECT_NE(stem.back(), '-') << style.rawValue();
            if (style.value() != Case::dateFirst && !firstCharacter.empty()) {
                EXPECT_TRUE(stem.starts_with(firstCharacter)) << style.rawValue();
            }
        }
    }
    // Cut between whole characters, never inside one.
    const std::string stem = NamingStyle(Case::sentence).apply(devanagari);
    EXPECT_EQ(stem.size() % std::string("\u0915\u094D\u0937\u093F").size(), 0u);
}

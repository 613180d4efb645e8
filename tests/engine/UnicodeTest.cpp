#include "unicode/Unicode.h"
#include "unicode/IcuRegex.h"

#include <gtest/gtest.h>

using namespace engine;

TEST(Unicode, countsGraphemeClustersNotScalars) {
    EXPECT_EQ(Unicode::characterCount("e\xCC\x81"), 1u); // e + combining acute
    EXPECT_EQ(Unicode::characterCount("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB"),
              1u); // ZWJ emoji
    EXPECT_EQ(Unicode::characterCount("\r\n"), 1u);
    EXPECT_EQ(Unicode::prefixCharacters("Ae\xCC\x81z", 2), "Ae\xCC\x81");
}

TEST(Unicode, validatesUtf8) {
    EXPECT_TRUE(Unicode::isValidUtf8("Schermata 2026"));
    EXPECT_TRUE(Unicode::isValidUtf8("Capture d\xE2\x80\x99\xC3\xA9"
                                     "cran"));
    EXPECT_FALSE(Unicode::isValidUtf8("bad\xFF"));
    EXPECT_FALSE(Unicode::isValidUtf8("\xC3"));         // truncated sequence
    EXPECT_FALSE(Unicode::isValidUtf8("\xED\xA0\x80")); // encoded surrogate
}

TEST(Unicode, fullCaseMappingsAndNormalisation) {
    EXPECT_EQ(Unicode::toUpper("stra\xC3\x9F"
                               "e"),
              "STRASSE"); // sharp s upper-cases to two letters
    EXPECT_EQ(Unicode::toLower("\xC3\x84PFEL"), "\xC3\xA4pfel");
    EXPECT_EQ(Unicode::toNfc("e\xCC\x81"), "\xC3\xA9");
}

TEST(Unicode, characterProperties) {
    EXPECT_TRUE(Unicode::isLetter(U'\u00E9'));
    EXPECT_TRUE(Unicode::isLetter(U'\u3042')); // hiragana has no case but is a letter
    EXPECT_TRUE(Unicode::isNumber(U'\u00BD')); // vulgar fraction: category No
    EXPECT_TRUE(Unicode::isControlOrFormat(U'\u200D'));
    EXPECT_TRUE(Unicode::isUppercase("\xC3\x89"));
    EXPECT_FALSE(Unicode::isUppercase("1"));
    EXPECT_TRUE(Unicode::isLowercase("\xC3\x9F"));
    EXPECT_EQ(Unicode::trimWhitespace("\u2028 \tname \r\n"), "name");
}

TEST(IcuRegex, searchIsUnanchoredAndHonoursCaseMode) {
    const IcuRegex insensitive("^IMG[_-]?\\d+", IcuRegex::Case::insensitive);
    EXPECT_TRUE(insensitive.search("img_4471"));
    EXPECT_FALSE(insensitive.search("my IMG_4471"));
    const IcuRegex sensitive("\\d{4}-\\d{2}", IcuRegex::Case::sensitive);
    EXPECT_TRUE(sensitive.search("Report 2026-03"));
    EXPECT_FALSE(IcuRegex("(", IcuRegex::Case::sensitive).isValid());
}

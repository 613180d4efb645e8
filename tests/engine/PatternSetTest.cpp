#include "rules/PatternSet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using engine::IcuRegex;
using engine::PatternSet;

namespace {

bool search(const PatternSet& set, const char* text) {
    return set.searchAny(icu::UnicodeString::fromUTF8(text));
}

} // namespace

TEST(PatternSet, skipsOnlyPatternsThatCannotMatchTheFirstCharacter) {
    const PatternSet set({R"(^abc\d)", "^x|yz", R"(^\d{6,}$)", "^(?:q|r)s"},
                         IcuRegex::Case::insensitive);
    ASSERT_TRUE(set.isValid());
    EXPECT_TRUE(search(set, "ABC1"));
    EXPECT_FALSE(search(set, "ABC"));
    EXPECT_TRUE(search(set, "x"));
    EXPECT_TRUE(search(set, "ayz")); // the second branch is not anchored
    EXPECT_TRUE(search(set, "123456"));
    EXPECT_FALSE(search(set, "12345"));
    EXPECT_TRUE(search(set, "Rs"));
    EXPECT_FALSE(search(set, "as"));
    EXPECT_FALSE(search(set, ""));
    EXPECT_FALSE(search(set, "\xC3\x84"
                             "bc1"));
}

TEST(PatternSet, caseFoldingStillAppliesToNonAsciiText) {
    const PatternSet set({"^ss", "^k\\d"}, IcuRegex::Case::insensitive);
    EXPECT_TRUE(search(set, "\xC3\x9F")); // sharp s folds to ss
    EXPECT_TRUE(search(set, "\xE2\x84\xAA"
                            "1")); // Kelvin sign folds to k
    const PatternSet sensitive({"^ss"}, IcuRegex::Case::sensitive);
    EXPECT_FALSE(search(sensitive, "SS"));
}

TEST(PatternSet, aBrokenPatternIsReportedAndNeverMatches) {
    const PatternSet set({"^(", "^ok"}, IcuRegex::Case::sensitive);
    EXPECT_FALSE(set.isValid());
    EXPECT_TRUE(search(set, "ok"));
    EXPECT_FALSE(search(set, "("));
}

TEST(PatternSet, searchesFromSeveralThreadsAtOnce) {
    const PatternSet set({R"(^IMG_\d+)", R"(^\d{4}-\d{2}-\d{2})"}, IcuRegex::Case::insensitive);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 500; ++i) {
                if (!search(set, "img_4471") || search(set, "Quarterly report") ||
                    !search(set, "2026-03-14 notes")) {
                    ++wrong;
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong, 0);
}

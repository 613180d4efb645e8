#include "naming/Correction.h"

#include <gtest/gtest.h>

using namespace engine;

TEST(CorrectionFormat, encodesACompactArrayWithSuggestedFirst) {
    EXPECT_EQ(Correction::encodeList({{"a", "b"}}), R"([{"suggested":"a","chosen":"b"}])");
    EXPECT_EQ(Correction::encodeList({}), "[]");
    EXPECT_EQ(Correction::encodeList({{"Img", "Cat"}, {"x", "y"}}),
              R"([{"suggested":"Img","chosen":"Cat"},{"suggested":"x","chosen":"y"}])");
}

TEST(CorrectionFormat, roundTripsAnyText) {
    const std::vector<Correction> list = {{"Straße \u201Cquoted\u201D", "\xF0\x9F\x90\xB1 Cat"},
                                          {"back\\slash", "tab\there"},
                                          {"", "same"},
                                          {"same", "same"}};
    EXPECT_EQ(Correction::decodeList(Correction::encodeList(list)), list);
}

TEST(CorrectionFormat, encodingNeverFailsOnBadBytes) {
    const std::string encoded = Correction::encodeList({{"bad\xFF", "ok"}});
    const auto decoded = Correction::decodeList(encoded);
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].chosen, "ok");
}

TEST(CorrectionFormat, anythingElseDecodesAsAnEmptyList) {
    for (const char* foreign :
         {"", "null", "{}", "\"text\"", "[1]", "[null]", R"([{"suggested":"a"}])",
          R"([{"suggested":"a","chosen":2}])", R"([{"suggested":"a","chosen":"b"},{"chosen":"c"}])",
          R"([{"suggested":"a","chosen":"b"})", "[\"\xFF\"]"}) {
        EXPECT_TRUE(Correction::decodeList(foreign).empty()) << foreign;
    }
    // Members beyond the two are tolerated.
    EXPECT_EQ(Correction::decodeList(R"([{"chosen":"b","extra":1,"suggested":"a"}])"),
              (std::vector<Correction>{{"a", "b"}}));
}

TEST(CorrectionList, appendKeepsTheNewestThirtyWithDuplicates) {
    std::vector<Correction> list;
    for (int i = 1; i <= 31; ++i) {
        Correction::append(list, {"s" + std::to_string(i), "c"});
    }
    ASSERT_EQ(list.size(), 30u);
    EXPECT_EQ(list.front().suggested, "s2");
    EXPECT_EQ(list.back().suggested, "s31");

    Correction::append(list, {"s31", "c"});
    EXPECT_EQ(list.size(), 30u);
    EXPECT_EQ(list[28], list[29]);
    EXPECT_EQ(list.front().suggested, "s3");
}

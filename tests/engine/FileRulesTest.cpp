#include "rules/FileRules.h"
#include "engine/ScratchFolder.h"
#include "unicode/IcuRegex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

using engine::FileRules;
using engine::IcuRegex;
using testing::ElementsAre;

namespace {

std::vector<std::string> names(const FileRules::Listing& listing) {
    std::vector<std::string> out;
    for (const auto& file : listing.files) {
        out.push_back(file.filename().string());
    }
    return out;
}

} // namespace

TEST(FileRulesPatterns, everyPatternCompiles) {
    ASSERT_EQ(FileRules::vaguePatterns().size(), 45u);
    for (const auto& pattern : FileRules::vaguePatterns()) {
        EXPECT_TRUE(IcuRegex(pattern, IcuRegex::Case::insensitive).isValid()) << pattern;
    }
    for (const auto& pattern : FileRules::linuxScreenshotPatterns()) {
        EXPECT_TRUE(IcuRegex(pattern, IcuRegex::Case::sensitive).isValid()) << pattern;
    }
    EXPECT_TRUE(IcuRegex(FileRules::shortCodePattern(), IcuRegex::Case::sensitive).isValid());
}

// The name test searches all patterns at once; it must agree with searching them one by one.
TEST(FileRulesPatterns, combinedSearchAgreesWithOnePatternAtATime) {
    std::vector<IcuRegex> each;
    for (const auto& pattern : FileRules::vaguePatterns()) {
        each.emplace_back(pattern, IcuRegex::Case::insensitive);
    }
    for (const auto& pattern : FileRules::linuxScreenshotPatterns()) {
        each.emplace_back(pattern, IcuRegex::Case::insensitive);
    }
    const IcuRegex shortCode(FileRules::shortCodePattern(), IcuRegex::Case::sensitive);
    const std::vector<std::string> stems = {"Screenshot 2026-03-14 at 09.41.22",
                                            "img_0001",
                                            "DSC-123",
                                            "PXL_20260314",
                                            "photo 7",
                                            "image",
                                            "image (12)",
                                            "images",
                                            "scan0042",
                                            "12 34 56",
                                            "12345",
                                            "Screenshot (3)",
                                            "WhatsApp Image 2026-03-14 at 10.00.00",
                                            "ChatGPT Image Mar 14",
                                            "123456_789_n",
                                            "PICS",
                                            "IMG-20260314-WA0007",
                                            "fb_img_1234",
                                            "received_99",
                                            "Snapchat-1",
                                            "signal-2026-03-14-094122",
                                            "photo_2026-03-14",
                                            "burst001",
                                            "screenshot-20260314",
                                            "image 7",
                                            "image 1234",
                                            "Pasted Graphic 3",
                                            "Image Pasted at 9",
                                            "Untitled Design (2)",
                                            "rectangle 5",
                                            "giphy (1)",
                                            "zoom_0",
                                            "GH010203",
                                            "snag_beef",
                                            "Monosnap 2026",
                                            "Photo on 14-03-2026",
                                            "Scanned Document 2",
                                            "Scan_20260314",
                                            "Image 2026-03-14",
                                            "untitled-4 (2)",
                                            "CleanShot 2026-03-14",
                                            "SCR-20260314",
                                            "Shottr 1",
                                            "Screenshot_1",
                                            "download (4)",
                                            "0123456789abcdef",
                                            "9876543",
                                            "ABC_12345",
                                            "abc_12345",
                                            "a8f3k2j9d0x7",
                                            "Xk9LmQ2pRt",
                                            "Quarterly report",
                                            "Report 2026-03-14",
                                            "holiday2024pics",
                                            "Frame 12 final",
                                            "Selection_001",
                                            "2026-03-14_09-41",
                                            "Screenshot From 2026-03-14 09-41-22",
                                            "café",
                                            "",
                                            "Capture d’écran 2026-03-14 à 09.41.22",
                                            "スクリーンショット 2026-03-14 9.41.22",
                                            "image\n"};
    for (const auto& stem : stems) {
        bool expected = shortCode.search(stem) || FileRules::looksLikeRandomID(stem);
        for (const auto& pattern : each) {
            expected = expected || pattern.search(stem);
        }
        EXPECT_EQ(FileRules::isVagueName(stem), expected) << stem;
    }
}

TEST(FileRulesNames, screenshotsCountersAndDownloadDefaultsAreVague) {
    for (const char* stem :
         {"Screenshot 2026-03-14 at 09.41.22", "Bildschirmfoto 2026-03-14 um 09.41.22",
          "Screen Shot 2026-01-05 at 9.41.22 PM", "img_4471", "image", "image (2)", "Untitled",
          "Untitled-3 (1)", "download (4)", "Frame 12", "PICTURE", "unnamed (3)",
          "3f2504e0-4f89-11d3-9a0c-0305e82c3301", "000123", "ABC_12345", "_AB1234"}) {
        EXPECT_TRUE(FileRules::isVagueName(stem)) << stem;
    }
    for (const char* stem :
         {"images", "Quarterly report", "dentist-appointment", "Report 2026-03-14", "abc_12345",
          "ABCDE_12345", "Frame 12 final", "holiday2024pics", "Flight to Lisbon Booking"}) {
        EXPECT_FALSE(FileRules::isVagueName(stem)) << stem;
    }
}

TEST(FileRulesNames, aDateWithoutTimeOfDayIsNoScreenshotButAnyDateAndTimeIs) {
    EXPECT_FALSE(FileRules::isNewScreenshot("/s/Report 2026-03-14.png"));
    EXPECT_TRUE(FileRules::isNewScreenshot("/s/Meeting 2026-03-14 09:41:22.png"));
    EXPECT_TRUE(FileRules::isNewScreenshot("/s/Capture d’écran 2026-03-14 à 09.41.22.png"));
    EXPECT_FALSE(FileRules::isNewScreenshot("/s/IMG_4471.png")); // vague, but a camera name
}

TEST(FileRulesNames, linuxScreenshotNamesAreVagueAndNewScreenshots) {
    for (const char* stem : {
             "Screenshot From 2026-03-14 09-41-22",
             "Screenshot from 2026-03-14 09-41-22",
             "Bildschirmfoto vom 2026-03-14 09-41-22",
             "Снимок экрана от 2026-03-14 09-41-22",
             "Screenshot from 2026-03-14 09-41-22-1",
             "Screenshot from 2026-03-14 09-41-22 - 2",
             "Screenshot_2026-03-14_09-41-22",
             "2026-03-14T09:41:22Z_grim",
             "Screenshot_20260314_094122",
             "Bildschirmfoto_20260314_094122-1",
             "Capture d’écran_20260314_094122",
             "2026-03-14_09-41",
             "2026-03-14_09-41_1",
             "ksnip_20260314-094122",
             "20260314_09h41m22s_grim",
             "2026-03-14-094122_hyprshot",
             "2026-03-14-094122_1920x1080_scrot",
             "Selection_001",
             "Workspace 1_001",
         }) {
        EXPECT_TRUE(FileRules::isVagueName(stem)) << stem;
        EXPECT_TRUE(FileRules::isNewScreenshot(std::string("/s/") + stem + ".png")) << stem;
    }
}

TEST(FileRulesNames, newScreenshotsMatchCaseSensitively) {
    EXPECT_TRUE(FileRules::isVagueName("KSNIP_20260314-094122"));
    EXPECT_FALSE(FileRules::isNewScreenshot("/s/KSNIP_20260314-094122.png"));
    EXPECT_TRUE(FileRules::isVagueName("selection_001"));
    EXPECT_FALSE(FileRules::isNewScreenshot("/s/selection_001.png"));
}

TEST(FileRulesNames, randomIdentifiers) {
    EXPECT_TRUE(FileRules::looksLikeRandomID("a8f3k2j9d0x7"));
    EXPECT_FALSE(FileRules::looksLikeRandomID("holiday2024pics"));
    EXPECT_TRUE(FileRules::looksLikeRandomID("Xk9LmQ2pRt"));
    EXPECT_FALSE(FileRules::looksLikeRandomID("Xk9LmQ 2pRt"));
    EXPECT_TRUE(FileRules::looksLikeRandomID("Xk9-LmQ_2pRt"));
    EXPECT_FALSE(FileRules::looksLikeRandomID("Xk9.LmQ2pRt")); // other punctuation
    EXPECT_FALSE(FileRules::looksLikeRandomID("abc1def2gh"));  // only two digits
    EXPECT_TRUE(FileRules::looksLikeRandomID("abc1def2gh3"));
    EXPECT_TRUE(FileRules::looksLikeRandomID("Xk9LabcdQ2R"));    // four lower-case in a row
    EXPECT_FALSE(FileRules::looksLikeRandomID("Xk9LabcdeQ2R"));  // five make a word
    EXPECT_FALSE(FileRules::looksLikeRandomID("XkLmQpRtABcd"));  // no digit
    EXPECT_FALSE(FileRules::looksLikeRandomID("Xk9Lm2pqRt"));    // three capitals
    EXPECT_FALSE(FileRules::looksLikeRandomID("XK9LMQ2PRT"));    // no lower-to-upper step
    EXPECT_FALSE(FileRules::looksLikeRandomID("1234567890123")); // no letter
}

TEST(FileRulesNames, randomIdentifierLengthCountsCharacters) {
    EXPECT_FALSE(FileRules::looksLikeRandomID("a8f3k2j9d"));
    EXPECT_TRUE(FileRules::looksLikeRandomID("a8f3k2j9d0"));
    const std::string forty = "a8f3k2j9d0a8f3k2j9d0a8f3k2j9d0a8f3k2j9d0";
    EXPECT_TRUE(FileRules::looksLikeRandomID(forty));
    EXPECT_FALSE(FileRules::looksLikeRandomID(forty + "x"));
    // 40 characters but 41 scalars: the last one is e with a combining accent.
    EXPECT_TRUE(FileRules::looksLikeRandomID(forty.substr(0, 39) + "e\xCC\x81"));
    // Nine ASCII characters and one accented letter make ten.
    EXPECT_TRUE(FileRules::looksLikeRandomID("a8f3k2j9d\xC3\xA9"));
    // A 41-character random string is vague only through a pattern.
    EXPECT_FALSE(FileRules::isVagueName("Xk9LmQ2pRtXk9LmQ2pRtXk9LmQ2pRtXk9LmQ2pRtX"));
    EXPECT_TRUE(FileRules::isVagueName("0123456789abcdef0123456789abcdef012345678"));
}

TEST(FileRulesFiles, candidatesNeedAnImageExtensionAndAVisibleName) {
    EXPECT_TRUE(FileRules::isCandidate("/d/IMG_4471.HEIC"));
    EXPECT_TRUE(FileRules::isCandidate("/d/image.png"));
    EXPECT_FALSE(FileRules::isCandidate("/d/images.png"));
    EXPECT_TRUE(FileRules::isCandidate("/d/ABC_12345.jpg"));
    EXPECT_FALSE(FileRules::isCandidate("/d/abc_12345.jpg"));
    EXPECT_FALSE(FileRules::isCandidate("/d/.IMG_4471.png"));
    EXPECT_FALSE(FileRules::isNewScreenshot("/d/.Screenshot 2026-03-14 at 09.41.22.png"));
    EXPECT_FALSE(FileRules::isCandidate("/d/Screenshot 2026-03-14 at 09.41.22.txt"));
    EXPECT_FALSE(FileRules::isNewScreenshot("/d/Screenshot 2026-03-14 at 09.41.22.txt"));
    EXPECT_FALSE(FileRules::isCandidate("/d/IMG_4471"));
    EXPECT_FALSE(FileRules::isCandidate("/d/IMG_4471\xFF.png"));
    EXPECT_FALSE(FileRules::isVagueName("IMG_4471\xFF"));
}

TEST(FileRulesFiles, stemDropsOnlyTheFinalExtension) {
    EXPECT_EQ(FileRules::stem("/x/archive.tar.png"), "archive.tar");
    EXPECT_EQ(FileRules::stem("/x/Screen Shot 2026-01-05 at 9.41.22 PM.png"),
              "Screen Shot 2026-01-05 at 9.41.22 PM");
    EXPECT_EQ(FileRules::extension("/x/IMG_4471.HEIC"), "HEIC");
    EXPECT_EQ(FileRules::stem("/x/README"), "README");
    EXPECT_EQ(FileRules::extension("/x/README"), "");
    EXPECT_EQ(FileRules::stem("/x/.png"), ".png");
    EXPECT_EQ(FileRules::extension("/x/.png"), "");
    EXPECT_EQ(FileRules::stem("/x/notes."), "notes.");
}

TEST(FileRulesListing, sortsByScalarValueOfTheComposedForm) {
    ScratchFolder folder;
    for (const char* name : {"b.png", "A.png", "c.jpg", "f.png", "e\xCC\x81.png", "Z.gif"}) {
        folder.file(name);
    }
    const auto listing = FileRules::listCandidates(folder.path(), true);
    ASSERT_TRUE(listing.ok());
    // Decomposed é sorts as U+00E9, after every ASCII letter.
    EXPECT_THAT(names(listing),
                ElementsAre("A.png", "Z.gif", "b.png", "c.jpg", "f.png", "e\xCC\x81.png"));
    EXPECT_EQ(listing.files.front(), folder.path() / "A.png");
}

TEST(FileRulesListing, keepsOnlyVisibleRegularImageFilesWithVagueNames) {
    ScratchFolder folder;
    folder.file("IMG_0001.png");
    folder.file("Quarterly report.png");
    folder.file(".IMG_0002.png");
    folder.file("IMG_0003.txt");
    folder.file("image (2).jpg");
    folder.file("IMG_0004\xFF.png");
    folder.folder("IMG_0005.png");
    std::filesystem::create_symlink(folder.path() / "IMG_0001.png", folder.path() / "IMG_0006.png");
    std::filesystem::create_symlink(folder.path() / "gone.png", folder.path() / "IMG_0007.png");

    const auto vague = FileRules::listCandidates(folder.path(), false);
    ASSERT_TRUE(vague.ok());
    EXPECT_THAT(names(vague), ElementsAre("IMG_0001.png", "image (2).jpg"));

    const auto all = FileRules::listCandidates(folder.path(), true);
    ASSERT_TRUE(all.ok());
    EXPECT_THAT(names(all), ElementsAre("IMG_0001.png", "Quarterly report.png", "image (2).jpg"));
}

TEST(FileRulesListing, reportsTheFileSystemErrorForAFolderItCannotList) {
    ScratchFolder folder;
    EXPECT_EQ(FileRules::listCandidates(folder.path() / "missing", false).error,
              std::errc::no_such_file_or_directory);
    EXPECT_EQ(FileRules::listCandidates(folder.file("IMG_1.png"), false).error,
              std::errc::not_a_directory);
    if (::geteuid() != 0) {
        const auto locked = folder.folder("locked");
        std::filesystem::permissions(locked, std::filesystem::perms::none);
        EXPECT_EQ(FileRules::listCandidates(locked, false).error, std::errc::permission_denied);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
    }
    EXPECT_TRUE(FileRules::listCandidates(folder.path(), false).ok());
}

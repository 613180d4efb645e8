#include "engine/ScratchFolder.h"
#include "rules/FileRules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using engine::FileRules;

namespace {

std::vector<std::string> namesIn(const std::string& file) {
    std::ifstream in(std::string(QUILLMARK_TEST_DATA) + "/" + file);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            names.push_back(line);
        }
    }
    return names;
}

// How many of `names`, saved as PNG files in one folder, the folder listing offers to rename.
std::size_t listedOf(const std::vector<std::string>& names) {
    ScratchFolder folder;
    for (const std::string& name : names) {
        folder.file(name + ".png", "");
    }
    const FileRules::Listing listing = FileRules::listCandidates(folder.path(), false);
    EXPECT_TRUE(listing.ok());
    return listing.files.size();
}

void expectVague(const std::vector<std::string>& names, bool vague) {
    for (const std::string& name : names) {
        EXPECT_EQ(FileRules::isVagueName(name), vague) << name;
    }
}

} // namespace

TEST(VagueNameFamilies, copiesAndEditsOfVagueNames) {
    expectVague({"Copy of IMG_2041", "IMG_2041 copy", "image (3) copy", "download-edited",
                 "image (2) (3)", "Screenshot (4) - Copy (2)", "Copy of Untitled design",
                 "unnamed (edited)", "Copy (2) of image"},
                true);
    // The decoration alone proves nothing: what it decorates must be vague.
    expectVague({"Copy of Lisbon trip", "Meeting notes copy", "budget-edited", "Report (2)",
                 "Chapter 12", "Credit card statement"},
                false);
}

TEST(VagueNameFamilies, shortCountersFromAppsAndCameras) {
    expectVague({"pic12", "Picture3", "Slide4", "Capture (3)", "images (2)", "img (5)", "file (2)",
                 "_MG_1234 (2)", "SAM_0042-1", "snapshot7", "Drawing 1"},
                true);
    expectVague({"Pictures of Lisbon", "Slide deck review", "Capture the flag map", "images",
                 "Picture frame wall ideas", "file-manager-icon", "pic of the day"},
                false);
}

TEST(VagueNameFamilies, placeholders) {
    expectVague({"Untitled drawing", "Untitled Diagram", "unknown", "clipboard", "New Bitmap Image",
                 "untitled-presentation"},
                true);
    expectVague({"Untitled Goose Game cover", "unknown-pleasures-album-art",
                 "Unknown soldier memorial", "Clipboard history mockup"},
                false);
}

TEST(VagueNameFamilies, shortRandomIdsMixingLettersAndDigits) {
    expectVague({"dQw4w9WgXcQ", "a1b2c3", "x7Kp2Q9z", "3Fz8Qw1Lm0Tn"}, true);
    // Words with a number in them, and ids with fewer than two digits, stay.
    expectVague({"holiday2024pics", "mp3player", "SmallLogo44x44", "covid19", "abcdefG1",
                 "iPhone15Pro", "a1b2c"},
                false);
}

TEST(VagueNameFamilies, listingFindsVagueNamesAndLeavesDescriptiveOnes) {
    const std::vector<std::string> vague = namesIn("vague-names.txt");
    const std::vector<std::string> descriptive = namesIn("descriptive-names.txt");
    ASSERT_EQ(vague.size(), 1500u);
    ASSERT_EQ(descriptive.size(), 3000u);
    EXPECT_GE(static_cast<double>(listedOf(vague)), 0.98 * static_cast<double>(vague.size()));
    EXPECT_EQ(listedOf(descriptive), 0u);
    for (const std::string& name : descriptive) {
        EXPECT_FALSE(FileRules::isVagueName(name)) << name;
    }
}

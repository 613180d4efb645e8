#include "dashboard/DashboardModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using app::DashboardModel;
using app::DashScope;
using engine::RenameRecord;
using Clock = std::chrono::system_clock;
using std::chrono::seconds;

// 2026-03-14 00:01:00 in a fixed zone two hours east of UTC.
const Clock::time_point kNow = Clock::from_time_t(1773439260);

RenameRecord record(std::string current, Clock::time_point date, bool undone = false,
                    std::string folder = "/home/ana/Pictures/Screenshots",
                    std::string original = "Screenshot 2026-03-14.png") {
    RenameRecord r;
    r.id = RenameRecord::makeId();
    r.folderPath = std::move(folder);
    r.originalName = std::move(original);
    r.currentName = std::move(current);
    r.date = date;
    r.undone = undone;
    return r;
}

class DashboardModelTest : public testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        oldZone_ = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("TZ", "EAST-2", 1);
        tzset();
    }
    void TearDown() override {
        if (oldZone_) {
            setenv("TZ", oldZone_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

    DashboardModel model(DashScope scope = DashScope::all(), std::string query = {},
                         std::size_t corrections = 0, std::size_t folders = 1) const {
        return DashboardModel({&history_, corrections, folders}, std::move(scope), std::move(query),
                              kNow, "en_US");
    }

    std::vector<std::string> names(const DashboardModel& m) const {
        std::vector<std::string> result;
        for (const auto& r : m.records()) {
            result.push_back(r.currentName);
        }
        return result;
    }

    std::vector<RenameRecord> history_;
    std::optional<std::string> oldZone_;
};

TEST_F(DashboardModelTest, scopesUseTheCalendarDayAndTheRollingWeek) {
    history_ = {
        record("Just now.png", kNow - seconds(30)),
        record("Yesterday late.png", kNow - seconds(120)), // 23:59 the day before, local time
        record("Week edge.png", kNow - seconds(604800)),
        record("Just outside.png", kNow - seconds(604801)),
        record("Undone today.png", kNow - seconds(10), true),
    };
    EXPECT_EQ(names(model(DashScope::today())), std::vector<std::string>{"Just now.png"});
    EXPECT_EQ(names(model(DashScope::week())),
              (std::vector<std::string>{"Just now.png", "Yesterday late.png", "Week edge.png"}));
    EXPECT_EQ(names(model(DashScope::all())).size(), 4U);
    EXPECT_EQ(names(model(DashScope::undone())), std::vector<std::string>{"Undone today.png"});

    const auto stats = model().statistics();
    EXPECT_EQ(stats[0].value, "4");
    EXPECT_EQ(stats[1].value, "3"); // same window as the week scope; undone never counted
    EXPECT_EQ(model().thisWeek(), model(DashScope::week()).records().size());
}

TEST_F(DashboardModelTest, undoneRecordsOnlyShowUnderUndone) {
    history_ = {record("Gone back.png", kNow, true, "/only/undone"),
                record("Kept.png", kNow, false, "/kept")};
    EXPECT_EQ(model().folders(), std::vector<std::string>{"/kept"});
    EXPECT_TRUE(model(DashScope::folder("/only/undone")).records().empty());
    // The scope stays on a folder that emptied: its title is still the folder's name.
    EXPECT_EQ(model(DashScope::folder("/only/undone")).title(), "undone");
    EXPECT_EQ(model(DashScope::undone()).subtitle(), "These have their old names back.");
}

TEST_F(DashboardModelTest, foldersKeepFirstAppearanceAndCompareExactly) {
    history_ = {record("a.png", kNow, false, "/b"), record("b.png", kNow, false, "/a"),
                record("c.png", kNow, false, "/b"), record("d.png", kNow, false, "/B")};
    EXPECT_EQ(model().folders(), (std::vector<std::string>{"/b", "/a", "/B"}));
    EXPECT_EQ(names(model(DashScope::folder("/b"))), (std::vector<std::string>{"a.png", "c.png"}));
    EXPECT_EQ(DashScope::folder("/b"), DashScope::folder("/b"));
    EXPECT_FALSE(DashScope::folder("/b") == DashScope::folder("/B"));
    EXPECT_FALSE(DashScope::all() == DashScope::undone());
}

TEST_F(DashboardModelTest, searchTrimsSpacesButTheSubtitleQuotesTheQueryAsTyped) {
    history_ = {record("Receipt 2026.pdf", kNow), record("Blue chart.png", kNow),
                record("Flight.png", kNow, false, "/f", "receipt scan.png")};
    EXPECT_EQ(names(model(DashScope::all(), "  receipt ")),
              (std::vector<std::string>{"Receipt 2026.pdf", "Flight.png"})); // old name matches
    EXPECT_EQ(model(DashScope::all(), "  receipt ").subtitle(),
              "2 matches for \u201C  receipt \u201D");
    EXPECT_EQ(model(DashScope::all(), "blue chart").subtitle(),
              "1 match for \u201Cblue chart\u201D");
    EXPECT_EQ(model(DashScope::all(), "chart blue").records().size(), 0U);
    // Spaces only filter nothing; the subtitle keeps its search form.
    EXPECT_EQ(model(DashScope::all(), "  ").records().size(), 3U);
    EXPECT_EQ(model(DashScope::all(), "  ").subtitle(), "3 matches for \u201C  \u201D");
    // The extension never matches.
    EXPECT_TRUE(model(DashScope::all(), "png").records().empty());
    EXPECT_EQ(model().subtitle(), "3 screenshots with real names");
    history_.resize(1);
    EXPECT_EQ(model().subtitle(), "1 screenshot with real names");
}

TEST_F(DashboardModelTest, searchIgnoresCaseButNotAccents) {
    history_ = {record("\u00DCber.png", kNow), record("caf\u00E9.png", kNow)};
    EXPECT_EQ(model(DashScope::all(), "\u00FC").records().size(), 1U);
    EXPECT_TRUE(model(DashScope::all(), "u").records().empty());
    EXPECT_TRUE(model(DashScope::all(), "cafe").records().empty());
    EXPECT_EQ(model(DashScope::all(), "CAF\u00C9").records().size(), 1U);
    // Turkish dotted capital I lower-cases to a plain i only under a Turkish locale.
    history_ = {record("\u0130stanbul.png", kNow)};
    EXPECT_EQ(DashboardModel({&history_, 0, 1}, DashScope::all(), "istanbul", kNow, "tr")
                  .records()
                  .size(),
              1U);
}

TEST_F(DashboardModelTest, highlightMarksTheFirstMatchOnlyInUtf16Units) {
    using Range = std::pair<std::size_t, std::size_t>;
    EXPECT_EQ(DashboardModel::highlightRange("Chart chart", " CHART "), Range(0, 5));
    EXPECT_EQ(DashboardModel::highlightRange("\U0001F600 Caf\u00E9", "caf\u00C9"), Range(3, 7));
    EXPECT_EQ(DashboardModel::highlightRange("Chart", "  "), std::nullopt);
    EXPECT_EQ(DashboardModel::highlightRange("Chart", "pie"), std::nullopt);
}

TEST_F(DashboardModelTest, textMatchesFollowTheNameMatchesWithinTheScopeAndCountInTheSubtitle) {
    history_ = {record("Wifi Setup.png", kNow - seconds(10)),
                record("Router Page.png", kNow - seconds(20)),
                record("Old Router.png", kNow - seconds(30), true),
                record("Lunch Menu.png", kNow - seconds(40))};
    // The text index found the query in the router page, the undone one and the wifi one.
    const std::unordered_map<std::string, std::string> lines{
        {history_[0].id, "wifi network"},
        {history_[1].id, "Join the Wifi network"},
        {history_[2].id, "wifi"}};
    const DashboardModel m({&history_, 0, 1, &lines}, DashScope::all(), "wifi", kNow, "en_US");
    const auto found = m.found();
    ASSERT_EQ(found.records.size(), 2U);
    EXPECT_EQ(found.byName, 1U);
    EXPECT_EQ(found.records[0].currentName, "Wifi Setup.png");
    EXPECT_EQ(found.records[1].currentName, "Router Page.png");
    EXPECT_EQ(m.subtitle(), "2 matches for \u201Cwifi\u201D");
    const DashboardModel undone({&history_, 0, 1, &lines}, DashScope::undone(), "wifi", kNow,
                                "en_US");
    EXPECT_EQ(undone.records().size(), 1U);
}

TEST_F(DashboardModelTest, statisticLabelsFollowTheirCounts) {
    auto labels = [](const DashboardModel& m) {
        const auto s = m.statistics();
        return std::vector<std::string>{s[0].label, s[1].label, s[2].label, s[3].label};
    };
    history_ = {record("One.png", kNow)};
    EXPECT_EQ(labels(model(DashScope::all(), {}, 1, 1)),
              (std::vector<std::string>{"screenshots named", "named this week", "fix learned",
                                        "folder watched"}));
    EXPECT_EQ(labels(model(DashScope::all(), {}, 0, 3))[2], "fixes learned");
    EXPECT_EQ(labels(model(DashScope::all(), {}, 0, 3))[3], "folders watched");
    EXPECT_EQ(model(DashScope::all(), {}, 0, 3).statistics()[3].value, "3");
}

TEST(DashboardStemTest, stemDropsTheLastExtensionOnly) {
    EXPECT_EQ(DashboardModel::stem("Receipt 2026.pdf"), "Receipt 2026");
    EXPECT_EQ(DashboardModel::stem("archive.tar.gz"), "archive.tar");
    EXPECT_EQ(DashboardModel::stem(".hidden"), ".hidden");
    EXPECT_EQ(DashboardModel::stem("plain"), "plain");
    EXPECT_EQ(DashboardModel::trimmedQuery("\t\u00A0 a b \u3000"), "a b");
    EXPECT_EQ(DashboardModel::trimmedQuery("\na\n"), "\na\n");
}

} // namespace

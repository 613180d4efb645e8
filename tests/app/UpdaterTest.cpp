#include "Updater.h"

#include <gtest/gtest.h>

namespace {

TEST(UpdaterTest, versionTextFallsBackToDevAndZero) {
    using app::Updater;
    EXPECT_EQ(Updater::versionText(QStringLiteral("1.4"), QStringLiteral("27")), "1.4 (27)");
    EXPECT_EQ(Updater::versionText(std::nullopt, std::nullopt), "dev (0)");
    EXPECT_EQ(Updater::versionText(QStringLiteral("1.4"), std::nullopt), "1.4 (0)");
    EXPECT_EQ(Updater::versionText(QString(), QString()), "dev (0)");
}

} // namespace

#include "engine/CompiledCatalog.h"
#include "engine/ScratchFolder.h"
#include "rules/Environment.h"
#include "rules/FileRules.h"

#include <gtest/gtest.h>

#include <map>

using engine::Environment;
using engine::FileRules;

namespace {

// A fake home with its own environment; folders and config files are added per test.
class ScreenshotFolderTest : public testing::Test {
protected:
    std::filesystem::path home() const { return scratch.path() / "home"; }
    std::filesystem::path folder(const std::string& relative) const {
        return scratch.folder("home/" + relative);
    }
    void config(const std::string& relative, const std::string& content) const {
        scratch.file("home/.config/" + relative, content);
    }
    std::filesystem::path find(std::optional<std::filesystem::path> override = std::nullopt) {
        variables["HOME"] = home().string();
        return FileRules::screenshotFolder(override, Environment::fromMap(variables));
    }

    ScratchFolder scratch;
    std::map<std::string, std::string> variables;
};

} // namespace

TEST_F(ScreenshotFolderTest, fallsBackFromPicturesToDesktopToHome) {
    folder("");
    EXPECT_EQ(find(), home());
    const auto desktop = folder("Desktop");
    EXPECT_EQ(find(), desktop);
    const auto xdgDesktop = folder("Schreibtisch");
    config("user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(find(), xdgDesktop);
    const auto pictures = folder("Pictures");
    EXPECT_EQ(find(), pictures);
    const auto screenshots = folder("Pictures/Screenshots");
    EXPECT_EQ(find(), screenshots);
}

TEST_F(ScreenshotFolderTest, readsUserDirsWithHomeRelativeQuotedAndAbsoluteEntries) {
    const auto bilder = folder("Eigene Bilder");
    folder("Pictures/Screenshots");
    config("user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                             "XDG_DESKTOP_DIR=\"$HOME/\"\n"
                             "XDG_PICTURES_DIR=\"${HOME}/Eigene Bilder/\"\n");
    EXPECT_EQ(find(), bilder);

    const auto absolute = scratch.folder("shared/Fotos \"2026\"");
    config("user-dirs.dirs", "XDG_PICTURES_DIR=\"" +
                                 (scratch.path() / "shared/Fotos \\\"2026\\\"").string() + "\"\n");
    EXPECT_EQ(find(), absolute);
}

TEST_F(ScreenshotFolderTest, aUserFolderPointingAtHomeIsSwitchedOff) {
    const auto desktop = folder("Desktop");
    config("user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/\"\n");
    EXPECT_EQ(find(), desktop);
}

TEST_F(ScreenshotFolderTest, honoursXdgConfigHome) {
    folder("Pictures");
    const auto photos = folder("Photos");
    scratch.file("elsewhere/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Photos\"\n");
    config("user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n");
    variables["XDG_CONFIG_HOME"] = (scratch.path() / "elsewhere").string();
    EXPECT_EQ(find(), photos);
}

TEST_F(ScreenshotFolderTest, readsEachScreenshotToolsSetting) {
    folder("Pictures/Screenshots");
    const auto spectacle = folder("My Shots");
    config("spectaclerc", "[General]\nlaunchAction=1\n\n[ImageSave]\n"
                          "imageSaveLocation=file://" +
                              home().string() + "/My%20Shots/\n");
    EXPECT_EQ(find(), spectacle);

    std::filesystem::remove(home() / ".config/spectaclerc");
    const auto flameshot = folder("flame");
    config("flameshot/flameshot.ini", "[General]\nsavePath=\"" + flameshot.string() + "\"\n");
    EXPECT_EQ(find(), flameshot);

    std::filesystem::remove(home() / ".config/flameshot/flameshot.ini");
    const auto xfce = folder("xfce shots");
    config("xfce4/xfce4-screenshooter",
           "app=gimp\nscreenshot_dir=file://" + home().string() + "/xfce%20shots\n");
    EXPECT_EQ(find(), xfce);

    std::filesystem::remove(home() / ".config/xfce4/xfce4-screenshooter");
    folder("ksnip");
    config("ksnip/ksnip.conf", "[Application]\nSaveDirectory=~/ksnip\n");
    EXPECT_EQ(find(), home() / "ksnip");
}

TEST_F(ScreenshotFolderTest, skipsToolSettingsNamingMissingFolders) {
    const auto screenshots = folder("Pictures/Screenshots");
    config("spectaclerc", "[ImageSave]\nimageSaveLocation=file://" + home().string() + "/gone\n");
    config("flameshot/flameshot.ini", "[General]\nsavePath=relative/path\n");
    EXPECT_EQ(find(), screenshots);
}

TEST_F(ScreenshotFolderTest, prefersTheToolOfTheCurrentDesktop) {
    const auto spectacle = folder("kde");
    const auto xfce = folder("xfce");
    config("spectaclerc", "[ImageSave]\nimageSaveLocation=" + spectacle.string() + "\n");
    config("xfce4/xfce4-screenshooter", "screenshot_dir=file://" + xfce.string() + "\n");
    EXPECT_EQ(find(), spectacle);
    variables["XDG_CURRENT_DESKTOP"] = "X-Generic:XFCE";
    EXPECT_EQ(find(), xfce);
    variables["XDG_CURRENT_DESKTOP"] = "KDE";
    EXPECT_EQ(find(), spectacle);
}

TEST_F(ScreenshotFolderTest, overrideAndEnvironmentComeFirstWhenTheyExist) {
    const auto tool = folder("tool");
    config("flameshot/flameshot.ini", "[General]\nsavePath=" + tool.string() + "\n");
    const auto fromVariable = folder("from variable");
    variables["XDG_SCREENSHOTS_DIR"] = "~/from variable";
    EXPECT_EQ(find(), fromVariable);
    const auto chosen = folder("chosen");
    EXPECT_EQ(find(home() / "chosen"), chosen);
    EXPECT_EQ(find(std::filesystem::path("~/chosen")), chosen);
    EXPECT_EQ(find(home() / "missing"), fromVariable);
    variables["XDG_SCREENSHOTS_DIR"] = (home() / "missing").string();
    EXPECT_EQ(find(), tool);
}

TEST_F(ScreenshotFolderTest, findsTheScreenshotFolderNamedInTheUsersLanguage) {
    const auto locale = scratch.folder("locale");
    scratch.file("locale/de/LC_MESSAGES/gnome-shell.mo",
                 compiledCatalog({{"Screenshots", "Bildschirmfotos"}}));
    scratch.file("locale/es/LC_MESSAGES/gnome-shell.mo",
                 compiledCatalog({{"Screenshots", "Capturas de pantalla"}}));
    scratch.file("locale/fr/LC_MESSAGES/gnome-shell.mo",
                 compiledCatalog({{"Screenshots", "../Captures"}}));
    scratch.file("locale/de/LC_MESSAGES/other.mo", compiledCatalog({{"Screenshots", "Falsch"}}));
    config("user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    const auto bilder = folder("Bilder");
    const auto english = folder("Bilder/Screenshots");
    const auto german = folder("Bilder/Bildschirmfotos");
    folder("Bilder/Capturas de pantalla");
    folder("Bilder/Falsch");
    folder("Captures");
    auto findIn = [&](std::map<std::string, std::string> locales) {
        locales["HOME"] = home().string();
        auto environment = Environment::fromMap(std::move(locales));
        environment.setLocaleRoot(locale);
        return FileRules::screenshotFolder(std::nullopt, environment);
    };

    EXPECT_EQ(findIn({{"LANG", "de_DE.UTF-8"}}), german);
    EXPECT_EQ(findIn({{"LANG", "de_AT.UTF-8"}, {"LANGUAGE", "es:de"}}),
              bilder / "Capturas de pantalla");
    EXPECT_EQ(findIn({{"LANG", "C.UTF-8"}}), english);
    EXPECT_EQ(findIn({{"LC_ALL", "C"}, {"LANG", "de_DE.UTF-8"}}), english);
    EXPECT_EQ(findIn({{"LANG", "ja_JP.UTF-8"}}), english); // no catalog
    EXPECT_EQ(findIn({{"LANG", "fr_FR.UTF-8"}}), english); // not a plain folder name

    // Only a translated folder that exists is taken.
    std::filesystem::remove(german);
    EXPECT_EQ(findIn({{"LANG", "de_DE.UTF-8"}}), english);
    std::filesystem::remove(english);
    EXPECT_EQ(findIn({{"LANG", "de_DE.UTF-8"}}), bilder);
}

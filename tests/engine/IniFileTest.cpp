#include "rules/IniFile.h"
#include "rules/XdgDirs.h"

#include <gtest/gtest.h>

using engine::IniFile;
using engine::XdgDirs;

TEST(IniFile, unescapesQSettingsValues) {
    const auto ini = IniFile::parse("top=1\n"
                                    "[General]\n"
                                    "quoted=\"a, b ; c\"\n"
                                    "escaped=C:\\\\dir\\\"x\\\" tab\\there\n"
                                    "unicode=\\x263a smile \\xd83d\\xde00\n"
                                    "comment=value ; note\n"
                                    "at=@@home\n"
                                    "invalid=@Invalid()\n"
                                    "[Model]\n"
                                    "url = http://127.0.0.1:8080/v1 \n"
                                    "name=qwen2.5 vl\n",
                                    IniFile::Dialect::qsettings);
    EXPECT_EQ(ini.value("General", "top"), "1");
    EXPECT_EQ(ini.value("General", "quoted"), "a, b ; c");
    EXPECT_EQ(ini.value("General", "escaped"), "C:\\dir\"x\" tab\there");
    EXPECT_EQ(ini.value("General", "unicode"), "\xE2\x98\xBA smile \xF0\x9F\x98\x80");
    EXPECT_EQ(ini.value("General", "comment"), "value");
    EXPECT_EQ(ini.value("General", "at"), "@home");
    EXPECT_EQ(ini.value("General", "invalid"), std::nullopt);
    EXPECT_EQ(ini.value("Model", "url"), "http://127.0.0.1:8080/v1");
    EXPECT_EQ(ini.value("Model", "name"), "qwen2.5 vl");
    EXPECT_EQ(ini.value("Model", "top"), std::nullopt);
}

TEST(IniFile, takesPlainValuesLiterally) {
    const auto ini = IniFile::parse("first=1\r\n"
                                    "# comment\n"
                                    "[ImageSave]\n"
                                    "imageSaveLocation[$e]=$HOME/Pictures\n"
                                    "quoted=\"kept\" ; too\n"
                                    "later=1\nlater=2\n",
                                    IniFile::Dialect::plain);
    EXPECT_EQ(ini.value("", "first"), "1");
    EXPECT_EQ(ini.value("ImageSave", "imageSaveLocation"), "$HOME/Pictures");
    EXPECT_EQ(ini.value("ImageSave", "quoted"), "\"kept\" ; too");
    EXPECT_EQ(ini.value("ImageSave", "later"), "2");
    EXPECT_FALSE(IniFile::load("/nonexistent/file.ini", IniFile::Dialect::plain).has_value());
}

TEST(XdgDirs, acceptsOnlyHomeRelativeAndAbsoluteEntries) {
    const auto dirs = XdgDirs::parse("XDG_PICTURES_DIR=\"$HOME/Bilder/\"\n"
                                     "XDG_DESKTOP_DIR=$HOME\n"
                                     "XDG_MUSIC_DIR=\"/srv/music\"\n"
                                     "XDG_VIDEOS_DIR=\"Videos\"\n"
                                     "XDG_TEMPLATES_DIR=\"$HOMEWORK/x\"\n"
                                     "XDG_DOCUMENTS_DIR=\"\\$HOME/literal\"\n",
                                     "/home/u");
    EXPECT_EQ(dirs.folder("XDG_PICTURES_DIR"), std::filesystem::path("/home/u/Bilder"));
    EXPECT_EQ(dirs.folder("XDG_DESKTOP_DIR"), std::filesystem::path()); // switched off
    EXPECT_EQ(dirs.folder("XDG_MUSIC_DIR"), std::filesystem::path("/srv/music"));
    EXPECT_EQ(dirs.folder("XDG_VIDEOS_DIR"), std::nullopt);
    EXPECT_EQ(dirs.folder("XDG_TEMPLATES_DIR"), std::nullopt);
    EXPECT_EQ(dirs.folder("XDG_DOCUMENTS_DIR"), std::nullopt);
}

#include "rules/MessageCatalog.h"
#include "engine/CompiledCatalog.h"
#include "engine/ScratchFolder.h"
#include "rules/Environment.h"

#include <gtest/gtest.h>

using engine::Environment;
using engine::MessageCatalog;
using Strings = std::vector<std::string>;

namespace {

const std::map<std::string, std::string> german = {
    {"", "Content-Type: text/plain; charset=UTF-8\n"},
    {"Screenshot", "Bildschirmfoto"},
    {"Screenshots", "Bildschirmfotos"},
    {std::string("%d file\0%d files", 16), std::string("%d Datei\0%d Dateien", 19)},
    {"Untranslated", ""},
    {"Empty singular", std::string("\0Leer", 5)},
};

} // namespace

TEST(MessageCatalogTest, readsTranslationsInEitherByteOrder) {
    ScratchFolder scratch;
    for (bool bigEndian : {false, true}) {
        const auto file = scratch.file("shell.mo", compiledCatalog(german, bigEndian));
        EXPECT_EQ(MessageCatalog::lookUp(file, "Screenshots"), "Bildschirmfotos") << bigEndian;
        EXPECT_EQ(MessageCatalog::lookUp(file, "Screenshot"), "Bildschirmfoto");
        EXPECT_EQ(MessageCatalog::lookUp(file, "Screen"), std::nullopt);
        EXPECT_EQ(MessageCatalog::lookUp(file, "Untranslated"), std::nullopt);
        // Else the screenshot folder would be the pictures folder itself.
        EXPECT_EQ(MessageCatalog::lookUp(file, "Empty singular"), std::nullopt);
        // A plural entry is found only by its whole original, and gives its first form.
        EXPECT_EQ(MessageCatalog::lookUp(file, "%d file"), std::nullopt);
        EXPECT_EQ(MessageCatalog::lookUp(file, std::string_view("%d file\0%d files", 16)),
                  "%d Datei");
    }
    EXPECT_EQ(MessageCatalog::lookUp(scratch.path() / "missing.mo", "Screenshots"), std::nullopt);
}

TEST(MessageCatalogTest, damagedCatalogsGiveNothing) {
    ScratchFolder scratch;
    const std::string good = compiledCatalog(german);
    auto lookUp = [&](const std::string& bytes) {
        return MessageCatalog::lookUp(scratch.file("damaged.mo", bytes), "Screenshots");
    };
    EXPECT_EQ(lookUp(""), std::nullopt);
    EXPECT_EQ(lookUp(good.substr(0, 20)), std::nullopt);               // header cut short
    EXPECT_EQ(lookUp(good.substr(0, good.size() - 12)), std::nullopt); // strings cut short
    std::string wrongMagic = good;
    wrongMagic[0] = 'x';
    EXPECT_EQ(lookUp(wrongMagic), std::nullopt);
    std::string futureRevision = good;
    futureRevision[6] = 2; // major revision 2
    EXPECT_EQ(lookUp(futureRevision), std::nullopt);
    std::string hugeCount = good;
    hugeCount.replace(8, 4, "\xff\xff\xff\x7f");
    EXPECT_EQ(lookUp(hugeCount), std::nullopt);
    std::string offsetPastEnd = good;
    offsetPastEnd.replace(12, 4, "\xf0\xff\xff\xff"); // the originals' table
    EXPECT_EQ(lookUp(offsetPastEnd), std::nullopt);
}

TEST(MessageCatalogTest, languagesFollowTheLocaleVariablesAndTheirLessSpecificForms) {
    auto languages = [](std::map<std::string, std::string> variables) {
        return MessageCatalog::languages(Environment::fromMap(std::move(variables)));
    };
    EXPECT_EQ(languages({{"LANG", "de_DE.UTF-8"}}),
              (Strings{"de_DE.UTF-8", "de_DE.utf8", "de_DE", "de.UTF-8", "de.utf8", "de"}));
    EXPECT_EQ(languages({{"LANG", "sr_RS@latin"}}),
              (Strings{"sr_RS@latin", "sr@latin", "sr_RS", "sr"}));
    EXPECT_EQ(languages({{"LANG", "fr_FR"}, {"LC_MESSAGES", "es_ES"}}), (Strings{"es_ES", "es"}));
    EXPECT_EQ(languages({{"LANG", "fr_FR"}, {"LC_MESSAGES", "es_ES"}, {"LC_ALL", "it"}}),
              Strings{"it"});
    EXPECT_EQ(languages({{"LANG", "fr_FR"}, {"LANGUAGE", "pt_BR:de::../x"}}),
              (Strings{"pt_BR", "pt", "de"}));
    // The C locale is untranslated, whatever LANGUAGE asks for.
    EXPECT_EQ(languages({{"LANGUAGE", "de"}}), Strings{});
    EXPECT_EQ(languages({{"LANG", "C"}, {"LANGUAGE", "de"}}), Strings{});
    EXPECT_EQ(languages({{"LC_ALL", "POSIX"}, {"LANG", "de_DE"}}), Strings{});
}

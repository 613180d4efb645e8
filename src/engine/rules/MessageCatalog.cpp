#include "rules/MessageCatalog.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>

namespace engine {

namespace {

// Real catalogs are a few hundred kilobytes; anything far larger is not one.
constexpr std::uintmax_t largestCatalog = 32u * 1024 * 1024;
constexpr std::uint32_t magic = 0x950412de;
constexpr std::uint32_t swappedMagic = 0xde120495;

std::optional<std::string> readSmallFile(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size > largestCatalog) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

class CatalogBytes {
public:
    explicit CatalogBytes(std::string_view bytes) : bytes_(bytes) {}

    bool readHeader() {
        const auto first = word(0);
        if (!first || (*first != magic && *first != swappedMagic)) {
            return false;
        }
        swapped_ = *first == swappedMagic;
        const auto revision = word(4);
        const auto count = word(8);
        const auto originals = word(12);
        const auto translations = word(16);
        if (!revision || (*revision >> 16) > 1 || !count || !originals || !translations) {
            return false;
        }
        count_ = *count;
        originals_ = *originals;
        translations_ = *translations;
        // Both tables must fit, whatever entry is looked for.
        const std::uint64_t tableSize = 8ull * count_;
        return originals_ + tableSize <= bytes_.size() &&
               translations_ + tableSize <= bytes_.size();
    }

    std::uint32_t count() const { return count_; }
    std::optional<std::string_view> original(std::uint32_t index) const {
        return string(originals_, index);
    }
    std::optional<std::string_view> translation(std::uint32_t index) const {
        return string(translations_, index);
    }

private:
    std::optional<std::uint32_t> word(std::uint64_t offset) const {
        if (offset + 4 > bytes_.size()) {
            return std::nullopt;
        }
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = static_cast<unsigned char>(bytes_[offset + (swapped_ ? i : 3 - i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

    // Entry `index` of a table of (length, offset) pairs.
    std::optional<std::string_view> string(std::uint64_t table, std::uint32_t index) const {
        const std::uint64_t entry = table + 8ull * index;
        const auto length = word(entry);
        const auto offset = word(entry + 4);
        if (!length || !offset || std::uint64_t{*offset} + *length > bytes_.size()) {
            return std::nullopt;
        }
        return bytes_.substr(*offset, *length);
    }

    std::string_view bytes_;
    bool swapped_ = false;
    std::uint32_t count_ = 0;
    std::uint32_t originals_ = 0;
    std::uint32_t translations_ = 0;
};

// "UTF-8" -> "utf8", "8859-1" -> "iso88591": how catalog folders may spell a codeset.
std::string normalizedCodeset(std::string_view codeset) {
    std::string out;
    bool digitsOnly = true;
    for (char c : codeset) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            digitsOnly = digitsOnly && std::isdigit(static_cast<unsigned char>(c));
        }
    }
    return digitsOnly && !out.empty() ? "iso" + out : out;
}

// language[_territory][.codeset][@modifier], from the most specific form to the language.
void addForms(std::string_view locale, std::vector<std::string>& forms) {
    std::string_view rest = locale;
    std::string_view modifier;
    if (auto at = rest.find('@'); at != std::string_view::npos) {
        modifier = rest.substr(at + 1);
        rest = rest.substr(0, at);
    }
    std::string_view codeset;
    if (auto dot = rest.find('.'); dot != std::string_view::npos) {
        codeset = rest.substr(dot + 1);
        rest = rest.substr(0, dot);
    }
    std::string_view territory;
    if (auto underscore = rest.find('_'); underscore != std::string_view::npos) {
        territory = rest.substr(underscore + 1);
        rest = rest.substr(0, underscore);
    }
    if (rest.empty() || rest.find('/') != std::string_view::npos || rest == "..") {
        return;
    }
    const std::string normalized = normalizedCodeset(codeset);
    enum : unsigned { normCodeset = 1, fullCodeset = 2, withTerritory = 4, withModifier = 8 };
    for (int mask = 15; mask >= 0; --mask) {
        if (((mask & withModifier) && modifier.empty()) ||
            ((mask & withTerritory) && territory.empty()) ||
            ((mask & fullCodeset) && codeset.empty()) ||
            ((mask & normCodeset) && (normalized.empty() || normalized == codeset)) ||
            ((mask & fullCodeset) && (mask & normCodeset))) {
            continue;
        }
        std::string form(rest);
        if (mask & withTerritory) {
            form += "_" + std::string(territory);
        }
        if (mask & fullCodeset) {
            form += "." + std::string(codeset);
        } else if (mask & normCodeset) {
            form += "." + normalized;
        }
        if (mask & withModifier) {
            form += "@" + std::string(modifier);
        }
        if (form.find('/') == std::string::npos &&
            std::find(forms.begin(), forms.end(), form) == forms.end()) {
            forms.push_back(std::move(form));
        }
    }
}

} // namespace

std::optional<std::string> MessageCatalog::lookUp(const std::filesystem::path& file,
                                                  std::string_view original) {
    const auto bytes = readSmallFile(file);
    if (!bytes) {
        return std::nullopt;
    }
    CatalogBytes catalog(*bytes);
    if (!catalog.readHeader()) {
        return std::nullopt;
    }
    for (std::uint32_t i = 0; i < catalog.count(); ++i) {
        const auto key = catalog.original(i);
        if (!key) {
            return std::nullopt; // the tables run past the end: not a catalog
        }
        if (*key != original) {
            continue;
        }
        const auto translation = catalog.translation(i);
        if (!translation || translation->empty()) {
            return std::nullopt;
        }
        // A plural entry holds its forms separated by NUL; the first is the singular.
        const auto singular = translation->substr(0, translation->find('\0'));
        if (singular.empty()) {
            return std::nullopt;
        }
        return std::string(singular);
    }
    return std::nullopt;
}

std::vector<std::string> MessageCatalog::languages(const Environment& environment) {
    std::optional<std::string> locale = environment.get("LC_ALL");
    if (!locale) {
        locale = environment.get("LC_MESSAGES");
    }
    if (!locale) {
        locale = environment.get("LANG");
    }
    if (!locale || *locale == "C" || *locale == "POSIX") {
        return {}; // untranslated, whatever LANGUAGE says
    }
    std::vector<std::string> forms;
    if (const auto list = environment.get("LANGUAGE")) {
        std::string_view rest = *list;
        while (!rest.empty()) {
            const auto colon = rest.find(':');
            addForms(rest.substr(0, colon), forms);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    if (forms.empty()) {
        addForms(*locale, forms);
    }
    return forms;
}

std::optional<std::string> MessageCatalog::translate(const Environment& environment,
                                                     std::string_view domain,
                                                     std::string_view original) {
    const std::string fileName = std::string(domain) + ".mo";
    for (const auto& language : languages(environment)) {
        const auto file = environment.localeRoot() / language / "LC_MESSAGES" / fileName;
        if (auto translation = lookUp(file, original)) {
            return translation;
        }
    }
    return std::nullopt;
}

} // namespace engine

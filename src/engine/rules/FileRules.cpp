#include "rules/FileRules.h"

#include "rules/PatternSet.h"
#include "rules/ScreenshotLocation.h"
#include "rules/VagueNameFamilies.h"
#include "unicode/Unicode.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

constexpr const char* shortCode = R"(^_?[A-Z]{1,4}_?\d{4,7}$)";

struct CompiledRules {
    PatternSet vague;
    PatternSet shortCode;
    PatternSet newScreenshot;
    PatternSet families;
};

const CompiledRules& compiledRules() {
    // Compiled once per process.
    static const CompiledRules rules = [] {
        std::vector<std::string> vague = FileRules::vaguePatterns();
        const auto& linuxForms = FileRules::linuxScreenshotPatterns();
        vague.insert(vague.end(), linuxForms.begin(), linuxForms.end());
        std::vector<std::string> screenshot{FileRules::vaguePatterns().front()};
        screenshot.insert(screenshot.end(), linuxForms.begin(), linuxForms.end());
        return CompiledRules{
            PatternSet(vague, IcuRegex::Case::insensitive),
            PatternSet({shortCode}, IcuRegex::Case::sensitive),
            PatternSet(screenshot, IcuRegex::Case::sensitive),
            PatternSet(VagueNameFamilies::patterns(), IcuRegex::Case::insensitive)};
    }();
    return rules;
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::string lowerExtension(std::string_view extension) {
    if (!isAscii(extension)) {
        return Unicode::toLower(extension);
    }
    std::string out(extension);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string lastComponent(const std::filesystem::path& file) {
    std::filesystem::path name = file.filename();
    if (name.empty() && file.has_parent_path() && file.parent_path() != file) {
        name = file.parent_path().filename();
    }
    return name.string();
}

// Position of the dot before the extension, if there is an extension.
std::optional<std::size_t> extensionDot(std::string_view name) {
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) {
        return std::nullopt;
    }
    return dot;
}

bool isImageName(std::string_view name) {
    const auto dot = extensionDot(name);
    return dot && FileRules::imageExtensions().contains(lowerExtension(name.substr(*dot + 1)));
}

std::string_view stemOf(std::string_view name) {
    const auto dot = extensionDot(name);
    return dot ? name.substr(0, *dot) : name;
}

// An image name that can be shown and stored: valid UTF-8, not hidden, an image extension.
bool isShowableImageName(std::string_view name) {
    return !name.empty() && name.front() != '.' && Unicode::isValidUtf8(name) && isImageName(name);
}

// What the random-identifier test needs to know about one character.
struct CharacterClass {
    bool letter = false;
    bool number = false;
    bool upper = false;
    bool lower = false;
    bool space = false;
    bool dashOrUnderscore = false;
};

std::vector<CharacterClass> classify(std::string_view text) {
    std::vector<CharacterClass> classes;
    // In ASCII every byte is one character except CR LF; the properties reduce to ranges.
    if (isAscii(text) && text.find("\r\n") == std::string_view::npos) {
        classes.reserve(text.size());
        for (char c : text) {
            CharacterClass k;
            k.upper = c >= 'A' && c <= 'Z';
            k.lower = c >= 'a' && c <= 'z';
            k.letter = k.upper || k.lower;
            k.number = c >= '0' && c <= '9';
            k.space = c == ' ';
            k.dashOrUnderscore = c == '-' || c == '_';
            classes.push_back(k);
        }
        return classes;
    }
    for (const std::string& c : Unicode::characters(text)) {
        CharacterClass k;
        k.letter = Unicode::isLetter(c);
        k.number = Unicode::isNumber(c);
        k.upper = Unicode::isUppercase(c);
        k.lower = Unicode::isLowercase(c);
        k.space = c == " ";
        k.dashOrUnderscore = c == "-" || c == "_";
        classes.push_back(k);
    }
    return classes;
}

// Lower-case letters and digits with short letter runs: "a8f3k2j9d0x7".
std::optional<bool> lowerCaseForm(const std::vector<CharacterClass>& classes) {
    const bool allLowerOrNumber = std::all_of(classes.begin(), classes.end(), [](const auto& k) {
        return (k.lower && k.letter) || k.number;
    });
    if (!allLowerOrNumber) {
        return std::nullopt;
    }
    const auto numbers =
        std::count_if(classes.begin(), classes.end(), [](const auto& k) { return k.number; });
    const bool anyLetter =
        std::any_of(classes.begin(), classes.end(), [](const auto& k) { return k.letter; });
    if (numbers <= 2 || !anyLetter) {
        return std::nullopt;
    }
    std::size_t run = 0;
    for (const auto& k : classes) {
        run = k.number ? 0 : run + 1;
        if (run >= 4) {
            return std::nullopt;
        }
    }
    return true;
}

// Capitals, digits and short lower-case runs with a lower-to-upper step: "Xk9LmQ2pRt".
bool mixedCaseForm(const std::vector<CharacterClass>& classes) {
    for (const auto& k : classes) {
        if (!k.letter && !k.number && !k.dashOrUnderscore) {
            return false;
        }
    }
    if (std::none_of(classes.begin(), classes.end(), [](const auto& k) { return k.number; })) {
        return false;
    }
    if (std::count_if(classes.begin(), classes.end(), [](const auto& k) { return k.upper; }) <= 3) {
        return false;
    }
    int lowerRun = 0;
    bool lowerToUpper = false;
    for (std::size_t i = 0; i < classes.size(); ++i) {
        if (!classes[i].lower) {
            lowerRun = 0;
            continue;
        }
        if (lowerRun >= 4) {
            return false; // five lower-case letters in a row make a word
        }
        ++lowerRun;
        if (i + 1 < classes.size() && classes[i + 1].upper) {
            lowerToUpper = true;
        }
    }
    return lowerToUpper;
}

} // namespace

const std::set<std::string>& FileRules::imageExtensions() {
    static const std::set<std::string> extensions = {"png",  "jpg", "jpeg", "heic", "heif",
                                                     "tiff", "tif", "webp", "gif",  "bmp"};
    return extensions;
}

const std::vector<std::string>& FileRules::vaguePatterns() {
    static const std::vector<std::string> patterns = {
        R"(^(Screenshot|Screen Shot|Bildschirmfoto|Capture d’écran|Captura de pantalla|Schermata|スクリーンショット)?.*\d{4}-\d{2}-\d{2}.*\d{1,2}[.:]\d{2}[.:]\d{2})",
        R"(^IMG[_-]?\d+)",
        R"(^DSC[_-]?\d+)",
        R"(^PXL_\d+)",
        R"(^Photo[ _-]?\d)",
        R"(^image( ?\(\d+\))?$)",
        R"(^(image|img|photo|pic|picture|file|screenshot|screen ?shot|capture|snap|scan|unnamed|untitled|download)[-_ ]?\d{3,})",
        R"(^[\d\s._-]{6,}$)",
        R"(^(Screenshot|Screen Shot)( ?\(\d+\))?$)",
        R"(^WhatsApp Image \d{4}-\d{2}-\d{2})",
        R"(^(ChatGPT Image|Gemini_Generated_Image|Generated Image))",
        R"(^unnamed( ?\(\d+\))?$)",
        R"(^photo-\d{6,})",
        R"(^\d{6,}(_\d+)+_[a-z]$)",
        R"(^(img|pic|pics|photo|picture|screenshot|scan)$)",
        R"(^IMG-\d{8}-WA\d+)",
        R"(^FB_IMG_\d+)",
        R"(^received_\d+)",
        R"(^Snapchat-\d+)",
        R"(^signal-\d{4}-\d{2}-\d{2})",
        R"(^photo_\d{4}-\d{2}-\d{2})",
        R"(^(MVIMG|PANO|BURST)_?\d+)",
        R"(^Screenshot[ _-]\d{4}-?\d{2}-?\d{2})",
        R"(^image ?\d{1,3}$)",
        R"(^Pasted (image|Graphic)( \d+)?)",
        R"(^Image Pasted at )",
        R"(^Untitled design( ?\(\d+\))?$)",
        R"(^(Frame|Group|Artboard|Slide|Rectangle) \d+( ?\(\d+\))?$)",
        R"(^(giphy|tenor)( ?\(\d+\))?$)",
        R"(^zoom_\d+)",
        R"(^(DJI|GOPR|GH\d{2}|GX\d{2}|MVI)_?\d{3,})",
        R"(^Snag_[0-9a-f]+)",
        R"(^(Monosnap|Xnapper)[ -]\d{4})",
        R"(^Photo on \d)",
        R"(^(Scan|Scanned Document)( \d+)?$)",
        R"(^Scan_?\d{6,})",
        R"(^Image \d{4}-\d{2}-\d{2})",
        R"(^Untitled([- ]?\d+)?( ?\(\d+\))?$)",
        R"(^CleanShot \d{4}-\d{2}-\d{2})",
        R"(^SCR-\d{8})",
        R"(^Shottr)",
        R"(^Screenshot_\d)",
        R"(^download( ?\(\d+\))?$)",
        R"(^[0-9a-fA-F-]{16,}$)",
        R"(^\d{6,}$)",
    };
    return patterns;
}

const std::vector<std::string>& FileRules::linuxScreenshotPatterns() {
    static const std::vector<std::string> patterns = {
        // GNOME Shell, gnome-screenshot (any language), Xfce, old grim: date, then a time of
        // day whose parts are joined by "-", "." or ":".
        R"(^.*\d{4}-\d{2}-\d{2}[ _T]\d{1,2}[-.:]\d{2}[-.:]\d{2})",
        // KDE Spectacle in any language: "Screenshot_20260314_094122".
        R"(^\p{L}[\p{L}\p{M} '’]*_\d{8}_\d{6})",
        // Flameshot: "2026-03-14_09-41", "2026-03-14_09-41_1".
        R"(^\d{4}-\d{2}-\d{2}_\d{2}-\d{2}(_\d+)?$)",
        R"(^ksnip_\d{8}-\d{6})",
        R"(^\d{8}_\d{2}h\d{2}m\d{2}s_grim)",
        R"(^\d{4}-\d{2}-\d{2}-\d{6}_hyprshot)",
        R"(^\d{4}-\d{2}-\d{2}-\d{6}_\d+x\d+_scrot)",
        // Shutter: "Selection_001", "Workspace 1_001".
        R"(^(Selection|Workspace \d+)_\d{3,}$)",
    };
    return patterns;
}

const std::string& FileRules::shortCodePattern() {
    static const std::string pattern = shortCode;
    return pattern;
}

bool FileRules::isNewScreenshot(const std::filesystem::path& file) {
    const std::string name = lastComponent(file);
    if (!isShowableImageName(name)) {
        return false;
    }
    const std::string_view stem = stemOf(name);
    return compiledRules().newScreenshot.searchAny(
        icu::UnicodeString::fromUTF8(icu::StringPiece(stem.data(), stem.size())));
}

bool FileRules::isCandidate(const std::filesystem::path& file) {
    const std::string name = lastComponent(file);
    return isShowableImageName(name) && isVagueName(stemOf(name));
}

namespace {

bool isUndecoratedVagueName(std::string_view stem) {
    const auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(stem.data(), stem.size()));
    const CompiledRules& rules = compiledRules();
    return rules.vague.searchAny(text) || rules.shortCode.searchAny(text) ||
           FileRules::looksLikeRandomID(stem) || rules.families.searchAny(text) ||
           VagueNameFamilies::looksLikeShortRandomID(stem);
}

} // namespace

bool FileRules::isVagueName(std::string_view stem) {
    if (!Unicode::isValidUtf8(stem)) {
        return false;
    }
    if (isUndecoratedVagueName(stem)) {
        return true;
    }
    // A copy or an edit of a vague name is as vague as the name itself.
    const std::vector<std::string> bases = VagueNameFamilies::undecorated(stem);
    return std::any_of(bases.begin(), bases.end(),
                       [](const std::string& base) { return isUndecoratedVagueName(base); });
}

bool FileRules::looksLikeRandomID(std::string_view stem) {
    // Cheap rejections first: fewer than 10 bytes cannot be 10 characters.
    if (stem.size() < 10 || stem.find(' ') != std::string_view::npos) {
        return false;
    }
    const std::vector<CharacterClass> classes = classify(stem);
    if (classes.size() < 10 || classes.size() > 40) {
        return false;
    }
    if (std::any_of(classes.begin(), classes.end(), [](const auto& k) { return k.space; })) {
        return false;
    }
    if (auto lower = lowerCaseForm(classes)) {
        return *lower;
    }
    return mixedCaseForm(classes);
}

FileRules::Listing FileRules::listCandidates(const std::filesystem::path& folder, bool all) {
    Listing listing;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        listing.error = std::error_code(errno, std::system_category());
        return listing;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        listing.error = std::error_code(errno, std::system_category());
        ::close(fd);
        return listing;
    }
    struct Entry {
        std::string sortKey;
        std::string name;
    };
    std::vector<Entry> entries;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0) {
                listing.error = std::error_code(errno, std::system_category());
            }
            break;
        }
        const std::string_view name = entry->d_name;
        if (!isShowableImageName(name)) {
            continue;
        }
        // lstat semantics: a symbolic link is not a regular file, whatever it points to.
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            regular = ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISREG(info.st_mode);
        }
        if (!regular || (!all && !isVagueName(stemOf(name)))) {
            continue;
        }
        entries.push_back(
            {isAscii(name) ? std::string(name) : Unicode::toNfc(name), std::string(name)});
    }
    ::closedir(dir);
    if (listing.error) {
        return listing;
    }
    // Byte order of UTF-8 is scalar order; the raw name breaks ties between equal NFC forms.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.sortKey != b.sortKey ? a.sortKey < b.sortKey : a.name < b.name;
    });
    listing.files.reserve(entries.size());
    for (const auto& entry : entries) {
        listing.files.push_back(folder / entry.name);
    }
    return listing;
}

std::filesystem::path
FileRules::screenshotFolder(const std::optional<std::filesystem::path>& override) {
    return ScreenshotLocation::find(override, Environment::process());
}

std::filesystem::path
FileRules::screenshotFolder(const std::optional<std::filesystem::path>& override,
                            const Environment& environment) {
    return ScreenshotLocation::find(override, environment);
}

std::string FileRules::stem(const std::filesystem::path& file) {
    return std::string(stemOf(lastComponent(file)));
}

std::string FileRules::extension(const std::filesystem::path& file) {
    const std::string name = lastComponent(file);
    const auto dot = extensionDot(name);
    return dot ? name.substr(*dot + 1) : std::string();
}

} // namespace engine

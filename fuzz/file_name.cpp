// Cleaning a model's answer and styling it into a file name.

#include "Check.h"

#include "naming/Namer.h"
#include "naming/NamingStyle.h"
#include "rules/FileRules.h"
#include "unicode/Unicode.h"

#include <cstdint>
#include <string>

using engine::Namer;
using engine::NamingStyle;
namespace Unicode = engine::Unicode;

namespace {

// The longest name most Linux file systems take, in bytes.
constexpr std::size_t nameLimit = 255;

bool holdsNoControl(std::string_view text) {
    for (const char32_t c : Unicode::scalars(text)) {
        if (c < 0x20 || (c >= 0x7F && c < 0xA0) || Unicode::isNewline(c)) {
            return false;
        }
    }
    return true;
}

void checkFileName(const std::string& name) {
    fuzz::check(Unicode::isValidUtf8(name), "valid UTF-8", name);
    fuzz::check(name.find('/') == std::string::npos, "no slash", name);
    fuzz::check(name.find('\0') == std::string::npos, "no NUL", name);
    fuzz::check(holdsNoControl(name), "no control character", name);
    fuzz::check(name.front() != '.', "not hidden", name);
    fuzz::check(name.size() <= nameLimit, "within the file-system name limit", name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = fuzz::asText(data, size);
    const std::string sanitized = Namer::sanitizeForFileName(answer);
    fuzz::check(Unicode::isValidUtf8(sanitized), "sanitized text is valid UTF-8", sanitized);
    fuzz::check(holdsNoControl(sanitized) && sanitized.find('/') == std::string::npos,
                "sanitized text has no control character or slash", sanitized);

    const auto cleaned = Namer::clean(answer);
    if (!cleaned) {
        return 0;
    }
    fuzz::check(!cleaned->empty(), "a cleaned name is never empty", *cleaned);
    for (const NamingStyle style : NamingStyle::allCases()) {
        const std::string stem = style.apply(*cleaned, NamingStyle::exampleDate());
        fuzz::check(!stem.empty(), "a styled name is never empty", stem);
        for (const auto& extension : engine::FileRules::imageExtensions()) {
            checkFileName(stem + "." + extension);
        }
    }
    return 0;
}

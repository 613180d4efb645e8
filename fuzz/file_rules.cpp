// Vague-name rules and candidate checks on arbitrary names.

#include "Check.h"

#include "rules/FileRules.h"
#include "unicode/Unicode.h"

#include <cstdint>
#include <string>

using engine::FileRules;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string stem(fuzz::asText(data, size));
    const bool vague = FileRules::isVagueName(stem);
    FileRules::looksLikeRandomID(stem);
    FileRules::isCandidate(stem);
    FileRules::isNewScreenshot(stem);

    // A visible name with an image extension, in any case, is a candidate exactly when its
    // stem is vague; a hidden one or one that is not UTF-8 never is.
    if (stem.find('/') != std::string::npos) {
        return 0; // the stem is not the last component
    }
    const bool plain = !stem.empty() && stem.front() != '.' && engine::Unicode::isValidUtf8(stem);
    for (const auto& extension : FileRules::imageExtensions()) {
        for (const std::string& ext : {extension, engine::Unicode::toUpper(extension)}) {
            const std::string name = stem + "." + ext;
            const bool candidate = FileRules::isCandidate(name);
            fuzz::check(plain ? candidate == vague : !candidate,
                        "a candidate is a visible image name with a vague stem", name);
            fuzz::check(!FileRules::isNewScreenshot(name) || plain,
                        "a new screenshot has a visible name", name);
            if (plain) {
                fuzz::check(FileRules::stem(name) == stem && FileRules::extension(name) == ext,
                            "stem and extension split the name at its last dot", name);
            }
        }
    }
    return 0;
}

// The key=value reader, in both dialects, on arbitrary text.

#include "Check.h"

#include "rules/IniFile.h"
#include "unicode/Unicode.h"

#include <cstdint>

using engine::IniFile;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    for (const auto dialect : {IniFile::Dialect::plain, IniFile::Dialect::qsettings}) {
        const IniFile file = IniFile::parse(text, dialect);
        // The keys the program reads, and one named by the input's first line.
        const std::string_view firstLine = text.substr(0, text.find('\n'));
        for (const auto& [section, key] :
             {std::pair<std::string_view, std::string_view>{"", "screenshot_dir"},
              {"General", "savePath"},
              {"General", firstLine},
              {firstLine, firstLine}}) {
            if (const auto value = file.value(section, key);
                value && dialect == IniFile::Dialect::qsettings &&
                engine::Unicode::isValidUtf8(text)) {
                fuzz::check(engine::Unicode::isValidUtf8(*value),
                            "unescaping valid UTF-8 gives valid UTF-8", *value);
            }
        }
    }
    return 0;
}

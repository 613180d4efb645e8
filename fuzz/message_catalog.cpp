// Compiled message catalogs (.mo) of arbitrary bytes.

#include "Check.h"

#include "rules/MessageCatalog.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using engine::MessageCatalog;
namespace fs = std::filesystem;

namespace {

// One file per process, removed when it ends.
class ScratchFile {
public:
    ScratchFile() {
        std::string pattern = (fs::temp_directory_path() / "quillmark-fuzz-XXXXXX").string();
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) {
            std::abort();
        }
        ::close(fd);
        path_ = pattern;
    }
    ~ScratchFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch;
    {
        std::ofstream out(scratch.path(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // The message the program asks for, and one that sorts before and after it.
    for (const char* original : {"Screenshots", "", "~"}) {
        if (const auto translation = MessageCatalog::lookUp(scratch.path(), original)) {
            fuzz::check(!translation->empty(), "a translation is never empty", *translation);
            fuzz::check(translation->size() <= size, "a translation comes from the file",
                        *translation);
        }
    }
    return 0;
}

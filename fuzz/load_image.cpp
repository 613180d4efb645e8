// Loading an image file of arbitrary bytes under every image extension.

#include "Check.h"

#include "reading/TextReader.h"
#include "rules/FileRules.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using engine::TextReader;
namespace fs = std::filesystem;

namespace {

constexpr int maxPixelSize = 256;

// One folder per process, removed when it ends.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "quillmark-fuzz-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFolder scratch;
    for (const auto& extension : engine::FileRules::imageExtensions()) {
        const fs::path file = scratch.path() / ("input." + extension);
        {
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        }
        if (const auto image = TextReader::loadImage(file, maxPixelSize)) {
            fuzz::check(image->width > 0 && image->height > 0, "a loaded image has pixels");
            fuzz::check(image->width <= maxPixelSize && image->height <= maxPixelSize,
                        "a loaded image is downsized");
            fuzz::check(image->pixels.size() ==
                            static_cast<std::size_t>(image->width) * image->height * 3,
                        "three bytes per pixel");
        }
        fs::remove(file);
    }
    return 0;
}

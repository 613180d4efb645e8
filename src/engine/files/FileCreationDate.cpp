#include "files/FileCreationDate.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace engine {

namespace {
std::chrono::system_clock::time_point toTimePoint(const struct statx_timestamp& stamp) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec)));
}
} // namespace

std::optional<std::chrono::system_clock::time_point>
FileCreationDate::of(const std::filesystem::path& file) {
    struct statx info {};
    if (statx(AT_FDCWD, file.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BTIME | STATX_MTIME, &info) != 0) {
        return std::nullopt;
    }
    if ((info.stx_mask & STATX_BTIME) != 0 && info.stx_btime.tv_sec != 0) {
        return toTimePoint(info.stx_btime);
    }
    if ((info.stx_mask & STATX_MTIME) != 0) {
        return toTimePoint(info.stx_mtime);
    }
    return std::nullopt;
}

} // namespace engine

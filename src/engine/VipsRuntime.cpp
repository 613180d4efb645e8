#include "VipsRuntime.h"

#include <mutex>
#include <vips/vips.h>

namespace engine {

bool VipsRuntime::ensureStarted() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        if (VIPS_INIT("quillmark") != 0) {
            return;
        }
        vips_block_untrusted_set(TRUE);
        // One naming at a time is the norm; a thread pool per image only competes with OCR.
        vips_concurrency_set(1);
        vips_cache_set_max(0);
        started = true;
    });
    return started;
}

} // namespace engine

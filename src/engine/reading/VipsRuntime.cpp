#include "reading/VipsRuntime.h"

#include <mutex>
#include <vips/vips.h>

namespace engine {

namespace {

void dropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

} // namespace

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
        // Broken and truncated files are common among downloads; libvips would describe each
        // on standard error, in the middle of the command-line output. The failure itself
        // still reaches the caller as a result.
        g_log_set_handler("VIPS",
                          static_cast<GLogLevelFlags>(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE |
                                                      G_LOG_LEVEL_INFO | G_LOG_LEVEL_DEBUG),
                          dropMessage, nullptr);
        started = true;
    });
    return started;
}

} // namespace engine

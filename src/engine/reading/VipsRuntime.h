#pragma once

namespace engine {

// Starts libvips once per process, with its untrusted loaders blocked: images come from
// Downloads and the web. Safe to call from any thread, any number of times.
class VipsRuntime {
public:
    // False when libvips could not start; nothing may then be decoded or encoded.
    static bool ensureStarted();
};

} // namespace engine

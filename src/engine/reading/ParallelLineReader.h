#pragma once

#include "reading/TesseractRecognizer.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// Recognises the lines of one page in a given order on the calling thread and on one helper
// thread with its own engine, and stops once the first `maxLines` non-empty lines in that order
// are known. The result is what one thread reading line after line would give.
class ParallelLineReader {
public:
    static std::vector<TextLine> read(const TesseractRecognizer& page,
                                      const std::vector<std::size_t>& order,
                                      std::optional<std::size_t> maxLines);
    // A thread of low priority reads alone: the shared helper is for the naming it would
    // otherwise slow down.
    static void setHelperAllowedOnThisThread(bool allowed);
};

} // namespace engine

// The history file's decoder: whatever it accepts must survive a save and a reload unchanged.

#include "Check.h"

#include "files/HistoryCodec.h"

#include <cstdint>

namespace HistoryCodec = engine::HistoryCodec;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::asText(data, size);
    const auto records = HistoryCodec::decode(text);
    if (!records) {
        return 0;
    }
    const auto encoded = HistoryCodec::encode(*records);
    fuzz::check(encoded.has_value(), "decoded records can be encoded again", text);
    const auto again = HistoryCodec::decode(*encoded);
    fuzz::check(again.has_value(), "encoded records decode", *encoded);
    fuzz::check(*again == *records, "decode, encode, decode gives the same records", *encoded);
    return 0;
}

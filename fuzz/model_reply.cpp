// Chat replies of both server protocols on arbitrary bytes.

#include "Check.h"

#include "model/ModelClient.h"

#include <cstdint>

using engine::ModelClient;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body = fuzz::asText(data, size);
    for (const auto protocol : {ModelClient::Protocol::ollama, ModelClient::Protocol::openAI}) {
        if (const auto answer = ModelClient::answerFromReply(protocol, body)) {
            // The answer is a JSON string from inside the body, so it can never be longer.
            fuzz::check(answer->size() <= body.size(), "the answer comes from the body", body);
        }
    }
    return 0;
}

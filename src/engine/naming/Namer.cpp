#include "naming/Namer.h"

#include "model/ModelClient.h"

namespace engine {

namespace {

const char* const imagePromptHead = "Name this screenshot.";
const char* const textPromptHead = "Name this screenshot.\n";

} // namespace

Namer::Engine Namer::engineFor(const ModelClient::Status& status) {
    using Kind = ModelClient::Status::Kind;
    switch (status.kind) {
    case Kind::ready:
        return {status.acceptsImages ? Namer::Engine::Kind::visionModel
                                     : Namer::Engine::Kind::textModel,
                {}};
    case Kind::noServer:
        return {Namer::Engine::Kind::textOnly,
                "No local model server answered. Start Ollama or llama-server for better names."};
    case Kind::noModels:
        return {Namer::Engine::Kind::textOnly,
                "Choose a local model in Settings for better names."};
    case Kind::modelNotInstalled:
        return {Namer::Engine::Kind::textOnly, "The local model isn't downloaded yet."};
    case Kind::unavailable:
        break;
    }
    return {Namer::Engine::Kind::textOnly, "The local model isn't available."};
}

namespace {

RgbImage whiteSquare(int side) {
    RgbImage image;
    image.width = side;
    image.height = side;
    image.pixels.assign(static_cast<std::size_t>(side) * side * 3, 255);
    return image;
}

std::optional<Namer::Result> nameReading(const ModelClient& client,
                                         const ModelClient::Status& status,
                                         const TextReader::Reading& reading,
                                         const std::vector<Correction>& corrections,
                                         const std::stop_token& stop) {
    const std::string instructions = Namer::makeInstructions(corrections);
    const std::string context = Namer::makeContext(reading);
    if (status.kind == ModelClient::Status::Kind::ready) {
        if (status.acceptsImages && reading.image) {
            const auto answer = client.askWithImage(status, instructions,
                                                    {imagePromptHead, context}, *reading.image);
            if (auto name = answer ? Namer::clean(*answer) : std::nullopt) {
                return Namer::Result{*name, Namer::Source::vision};
            }
        }
        if (!reading.lines.empty() || !reading.hints.empty()) {
            const auto answer = client.askWithText(status, instructions, textPromptHead + context);
            if (auto name = answer ? Namer::clean(*answer) : std::nullopt) {
                return Namer::Result{*name, Namer::Source::text};
            }
        }
    }
    if (stop.stop_requested()) {
        return std::nullopt; // an abandoned model answer must not turn into a heuristic name
    }
    if (auto name = Namer::heuristicNameFor(reading)) {
        return Namer::Result{*name, Namer::Source::heuristic};
    }
    return std::nullopt;
}

} // namespace

Namer::Namer(ModelConfig config, std::stop_token stop)
    : config_(std::move(config)), stop_(std::move(stop)) {}

ModelClient Namer::client() const {
    return ModelClient(config_, ModelClient::Timeouts(), stop_);
}

Namer::Engine Namer::engine() const {
    return engineFor(client().status());
}

std::size_t Namer::linesNeeded(const Engine& engine) {
    return engine.kind == Engine::Kind::textOnly ? heuristicLineLimit : contextLineLimit;
}

std::optional<Namer::Result> Namer::suggestName(const std::filesystem::path& file,
                                                const std::vector<Correction>& corrections) const {
    // The server is asked first so the reading can stop at the lines this naming will use.
    const ModelClient client = this->client();
    const ModelClient::Status status = client.status();
    if (stop_.stop_requested()) {
        return std::nullopt;
    }
    const std::size_t maxLines = linesNeeded(engineFor(status));
    return nameReading(client, status, TextReader::read(file, maxPixelSize, maxLines), corrections,
                       stop_);
}

std::optional<Namer::Result> Namer::suggestName(const TextReader::Reading& reading,
                                                const std::vector<Correction>& corrections) const {
    const ModelClient client = this->client();
    return nameReading(client, client.status(), reading, corrections, stop_);
}

ModelClient::Status Namer::status() const {
    return client().status();
}

TextReader::Reading Namer::read(const std::filesystem::path& file,
                                const ModelClient::Status& status) const {
    return TextReader::read(file, maxPixelSize, linesNeeded(engineFor(status)));
}

std::optional<Namer::Result> Namer::suggestName(const TextReader::Reading& reading,
                                                const std::vector<Correction>& corrections,
                                                const ModelClient::Status& status) const {
    if (stop_.stop_requested()) {
        return std::nullopt;
    }
    return nameReading(client(), status, reading, corrections, stop_);
}

void Namer::warmUp() const {
    const ModelClient client = this->client();
    const ModelClient::Status status = client.status();
    if (status.kind != ModelClient::Status::Kind::ready) {
        return;
    }
    client.prewarm(status);
    if (status.acceptsImages) {
        client.askWithImage(status, makeInstructions({}), {imagePromptHead, ""}, whiteSquare(64));
    }
}

} // namespace engine

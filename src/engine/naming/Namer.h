#pragma once

#include "model/ModelClient.h"
#include "model/ModelConfig.h"
#include "naming/Correction.h"
#include "reading/TextReader.h"

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Produces one short descriptive name for one image: the local model looking at the image,
// the model reading only the text, then the best text line. Keeps nothing between calls.
class Namer {
public:
    enum class Source { vision, text, heuristic };

    struct Engine {
        enum class Kind { visionModel, textModel, textOnly };
        Kind kind = Kind::textOnly;
        std::string reason; // only for textOnly

        bool operator==(const Engine&) const = default;
    };

    struct Result {
        std::string name; // cleaned, not styled, no extension
        Source source = Source::heuristic;

        bool operator==(const Result&) const = default;
    };

    static constexpr int maxPixelSize = 1600;
    static constexpr std::size_t contextLineLimit = 40;
    static constexpr std::size_t contextCharacterLimit = 1800;
    static constexpr std::size_t heuristicLineLimit = 15;

    // The most text lines a naming with this engine looks at, so reading may stop there.
    static std::size_t linesNeeded(const Engine& engine);

    // Once `stop` is requested, model requests in flight are abandoned and every naming gives
    // nothing: the caller is going away and wants no late result.
    explicit Namer(ModelConfig config = {}, std::stop_token stop = {});

    // What the machine can run now; asked afresh on every call.
    Engine engine() const;
    // Reads the file and names it. Synchronous: the caller picks the thread.
    std::optional<Result> suggestName(const std::filesystem::path& file,
                                      const std::vector<Correction>& corrections) const;
    // The naming part alone, for callers that read ahead.
    std::optional<Result> suggestName(const TextReader::Reading& reading,
                                      const std::vector<Correction>& corrections) const;
    // For a run of files: the server is asked once, then each file is read and named with that
    // answer, so a run costs one request per file and reading may overlap another naming.
    ModelClient::Status status() const;
    static Engine engineFor(const ModelClient::Status& status);
    TextReader::Reading read(const std::filesystem::path& file,
                             const ModelClient::Status& status) const;
    std::optional<Result> suggestName(const TextReader::Reading& reading,
                                      const std::vector<Correction>& corrections,
                                      const ModelClient::Status& status) const;
    // Loads the model so the first real request is fast.
    void warmUp() const;

    static std::string_view rawValue(Source source);
    static std::optional<Source> sourceFromRawValue(std::string_view raw);

    // Pure text steps.
    static const std::string& instructionsText();
    static std::string makeInstructions(const std::vector<Correction>& corrections);
    static std::string makeContext(const TextReader::Reading& reading);
    static std::string sanitizeForFileName(std::string_view text);
    static std::optional<std::string> clean(std::string_view answer);
    static std::optional<std::string> heuristicName(const std::vector<std::string>& lines);
    // As above, ranking by what the recogniser saw: headings in larger type, a window's title
    // and a dialog's question first; chrome (menu bars, toolbars, tabs, addresses, status bars,
    // button rows), weakly read lines and lines not made of words are not names. `details`
    // belong to `lines` one by one; `aspect` is the image's width over its height. Without
    // details, or when all lines have one size and one confidence, the result is the above.
    static std::optional<std::string> heuristicName(const std::vector<std::string>& lines,
                                                    const std::vector<TextLine>& details,
                                                    double aspect);
    static std::optional<std::string> heuristicNameFor(const TextReader::Reading& reading);

private:
    ModelClient client() const;

    ModelConfig config_;
    std::stop_token stop_;
};

} // namespace engine

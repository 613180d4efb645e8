#include "NamingModes.h"

#include "OperandPath.h"
#include "ReadAhead.h"
#include "files/Renamer.h"
#include "naming/NamingStyle.h"
#include "rules/FileRules.h"

#include <chrono>
#include <cstdio>

namespace cli {

namespace {

using engine::Namer;
using engine::TextReader;

// Reads only the lines a naming with this engine looks at. The engine is asked once per run.
ReadAhead::Reader readerFor(const Namer::Engine& engine) {
    return [maxLines = Namer::linesNeeded(engine)](const std::filesystem::path& file) {
        return TextReader::read(file, Namer::maxPixelSize, maxLines);
    };
}

std::string seconds(std::chrono::steady_clock::duration elapsed) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1fs", std::chrono::duration<double>(elapsed).count());
    return buffer;
}

std::string styled(const Namer::Result& result) {
    return engine::NamingStyle(engine::NamingStyle::Case::titleCase)
        .apply(result.name, std::nullopt);
}

} // namespace

std::string NamingModes::engineLabel(const Namer::Engine& engine) {
    switch (engine.kind) {
    case Namer::Engine::Kind::visionModel:
        return "Local model";
    case Namer::Engine::Kind::textModel:
        return "Local model (text)";
    case Namer::Engine::Kind::textOnly:
        break;
    }
    return "Text in image";
}

int NamingModes::suggest(const std::vector<std::string>& files, const Namer& namer,
                         std::ostream& out, ReadAhead::Reader read) {
    const Namer::Engine engine = namer.engine();
    out << "engine: " << engineLabel(engine) << std::endl;
    std::vector<std::filesystem::path> paths;
    for (const auto& file : files) {
        paths.push_back(OperandPath::absolute(file));
    }
    ReadAhead readings(paths, readWorkers, readWindow, read ? std::move(read) : readerFor(engine));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        auto taken = readings.take(i);
        // The reading may have finished long ago; its own duration counts, the wait does not.
        const auto start = std::chrono::steady_clock::now();
        const auto result = namer.suggestName(taken.reading, {});
        const std::string elapsed =
            seconds(taken.readTime + (std::chrono::steady_clock::now() - start));
        out << paths[i].filename().string();
        if (result) {
            out << " -> " << styled(*result) << " [" << Namer::rawValue(result->source) << ", "
                << elapsed << "]" << std::endl;
        } else {
            out << " -> (no name) [" << elapsed << "]" << std::endl;
        }
    }
    return 0;
}

int NamingModes::tidy(const std::string& folder, const Namer& namer, std::ostream& out) {
    const auto listing = engine::FileRules::listCandidates(OperandPath::absolute(folder), false);
    if (!listing.ok()) {
        return 1;
    }
    int status = 0;
    ReadAhead readings(listing.files, readWorkers, readWindow, readerFor(namer.engine()));
    for (std::size_t i = 0; i < listing.files.size(); ++i) {
        const auto& file = listing.files[i];
        const std::string oldName = file.filename().string();
        const auto result = namer.suggestName(readings.take(i).reading, {});
        if (!result) {
            out << oldName << " -> skipped" << std::endl;
            continue;
        }
        const auto renamed = engine::Renamer::rename(file, styled(*result));
        if (renamed) {
            out << oldName << " -> " << renamed.path().filename().string() << std::endl;
        } else {
            out << oldName << " -> error: " << renamed.error().description() << std::endl;
            status = 1;
        }
    }
    return status;
}

} // namespace cli

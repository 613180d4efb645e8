#pragma once

#include "model/ModelConfig.h"
#include "model/ModelDiscovery.h"
#include "rules/Environment.h"

#include <ostream>

namespace cli {

// `--models`: the model servers on this computer, one line per model with its server's kind
// and address, whether it looks at images, and which one names files now.
class ModelsMode {
public:
    static int run(const engine::ModelConfig& config, const engine::Environment& environment,
                   std::ostream& out, engine::ModelDiscovery::Timeouts timeouts = {},
                   const std::vector<int>& localPorts = engine::ModelDiscovery::defaultPorts());
};

} // namespace cli

#pragma once

namespace ui {

// Asks the model to check the naming engine again. The check talks to the model server, so the
// model runs it off the main thread and announces the result with engineChanged.
struct EngineRefresh {
    template <typename Model> static void request(Model& model) {
        if constexpr (requires { model.refreshEngine(); }) {
            model.refreshEngine();
        }
    }
};

} // namespace ui

#pragma once

namespace ui {

// The pointer's buttons as the display sees them, also while another program holds them.
class PointerButtons {
public:
    // A button is down, as during a drag. False where the display does not tell (Wayland).
    static bool held();
};

} // namespace ui

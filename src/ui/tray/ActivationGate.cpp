#include "tray/ActivationGate.h"

namespace ui {

ActivationGate::ActivationGate(Now now) : now_(std::move(now)) {}

ActivationGate::Action ActivationGate::trayActivated(bool panelVisible) {
    const auto time = now_();
    if (lastActivation_ && time - *lastActivation_ < debounce) {
        return Action::ignore;
    }
    lastActivation_ = time;
    if (panelVisible) {
        return Action::hide;
    }
    if (lastLostActivation_ && time - *lastLostActivation_ < reopenGuard) {
        return Action::ignore;
    }
    return Action::show;
}

void ActivationGate::panelLostActivation() {
    lastLostActivation_ = now_();
}

} // namespace ui

#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace ui {

// Decides what a tray activation does to the panel. Tray hosts report one click more than once
// (XEmbed sends Trigger and then DoubleClick for a double click), and clicking the tray icon
// while the panel is open first takes the activation away from the panel, which hides it.
class ActivationGate {
public:
    using Clock = std::chrono::steady_clock;
    using Now = std::function<Clock::time_point()>;

    enum class Action { ignore, show, hide };

    // Activations closer than this to the last one that counted are the same click.
    static constexpr std::chrono::milliseconds debounce{400};
    // A hide for lost activation this recent means the click that caused it was on the icon.
    static constexpr std::chrono::milliseconds reopenGuard{300};

    explicit ActivationGate(Now now = Clock::now);

    // A click on the tray icon, given whether the panel is showing.
    Action trayActivated(bool panelVisible);
    // The panel hid itself because another window took the activation.
    void panelLostActivation();

private:
    Now now_;
    std::optional<Clock::time_point> lastActivation_;
    std::optional<Clock::time_point> lastLostActivation_;
};

} // namespace ui

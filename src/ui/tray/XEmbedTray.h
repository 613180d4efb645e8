#pragma once

namespace ui {

// The X11 system tray that icons embed into.
class XEmbedTray {
public:
    // A tray has claimed this screen's tray selection. False off X11.
    static bool present();
};

} // namespace ui

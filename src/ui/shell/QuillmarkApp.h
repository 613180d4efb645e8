#pragma once

#include <QString>

namespace ui {

// The program without a command-line mode: the tray program with its panel.
class QuillmarkApp {
public:
    // The open-dashboard request of an ordinary start comes this long after start-up.
    static constexpr int openDelayMs = 400;

    static int run(int argc, char** argv, bool launchedAtLogin);
    // `--snapshot FOLDER` and `--bench`, always on the offscreen platform.
    static int snapshot(int argc, char** argv, const QString& folder);
    static int bench(int argc, char** argv);
};

} // namespace ui

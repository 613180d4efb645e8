#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <iosfwd>
#include <optional>

class QWidget;

namespace ui {

// Renders the program's views to PNG files and times how long they take to draw, off screen,
// with the real model on the user's history and settings. Needs a QApplication.
class Snapshot {
public:
    static constexpr int benchRuns = 15;
    // Work queued on the main thread (thumbnails, the views' own start) runs before a render.
    static constexpr int settleMs = 400;
    // How long the search picture waits for the history's images to be read.
    static constexpr int textWaitMs = 20000;

    // Writes menubar-idle, menubar-busy, panel and settings into `folder` (made with its
    // parents). Lines go to `out`, failures to `errors`. Returns the exit status.
    static int run(const QString& folder);
    static int run(const QString& folder, std::ostream& out, std::ostream& errors);
    // Prints the engine check and the draw times.
    static int bench();
    static int bench(std::ostream& out);

    // Shows `widget` off screen at `frame` (default: its fitting size), lets queued work run,
    // writes NAME.png and prints "saved NAME.png WxH". False when nothing was written.
    static bool save(QWidget& widget, const QString& name, const QString& folder, std::ostream& out,
                     std::ostream& errors, std::optional<QSize> frame = std::nullopt);
    // Mean milliseconds per draw of `widget` at `size`, after one draw that is not timed.
    static std::optional<double> timeDraws(QWidget& widget, QSize size, int runs = benchRuns);
    static void printTiming(std::ostream& out, const char* name, std::optional<double> ms);

    // The tray picture on white, 72 × 72.
    static QImage menuBarImage(bool busy);
};

} // namespace ui

#pragma once

#include <QFont>
#include <QString>

namespace ui {

// Fonts of the hand-drawn look. Sizes are in device-independent pixels and may be fractional.
class Fonts {
public:
    // Registers the bundled fonts once per process; every other function calls it.
    static void ensureRegistered();

    // The handwriting font (Gaegu Bold); without it, the bold rounded font at 0.86 × size.
    // Tracking is size × −0.03 either way.
    static QFont hand(qreal size);
    static bool handAvailable();
    // The bundled Nunito at the given weight ("rounded design").
    static QFont rounded(qreal size, QFont::Weight weight = QFont::Normal);
    // The application's UI font.
    static QFont system(qreal size, QFont::Weight weight = QFont::Normal);
    // The desktop's fixed-width font.
    static QFont mono(qreal size);

    // Small upper-case section labels, drawn in Ink::orangeDeep().
    static QFont eyebrow();
    static QString eyebrowText(const QString& text);

    // Sets a font's size in pixels without rounding to whole pixels.
    static void setPixelSize(QFont& font, qreal pixels);
    // A font's size in pixels, whichever way it was set.
    static qreal pixelSize(const QFont& font);

    static constexpr const char* handFontPath = ":/quillmark/fonts/Gaegu-Bold.ttf";
    static constexpr const char* handFamily = "Gaegu";
    static constexpr const char* roundedFamily = "Nunito";
};

} // namespace ui

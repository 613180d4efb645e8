#include "look/Fonts.h"

#include "look/HandFont.h"

#include <QApplication>
#include <QFontDatabase>
#include <QScreen>

namespace ui {

namespace {

const char* const roundedFiles[] = {
    ":/quillmark/fonts/Nunito-Regular.ttf",   ":/quillmark/fonts/Nunito-Medium.ttf",
    ":/quillmark/fonts/Nunito-SemiBold.ttf",  ":/quillmark/fonts/Nunito-Bold.ttf",
    ":/quillmark/fonts/Nunito-ExtraBold.ttf",
};

const HandFont& handFont() {
    static const HandFont font(QString::fromLatin1(Fonts::handFontPath),
                               QString::fromLatin1(Fonts::handFamily));
    return font;
}

bool roundedRegistered() {
    static const bool registered = [] {
        bool any = false;
        for (const char* file : roundedFiles)
            any = QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0 || any;
        return any;
    }();
    return registered;
}

qreal logicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

} // namespace

void Fonts::ensureRegistered() {
    roundedRegistered();
    handFont();
}

void Fonts::setPixelSize(QFont& font, qreal pixels) {
    // Point sizes keep fractions; pixel sizes would round to whole pixels.
    font.setPointSizeF(pixels * 72.0 / logicalDpi());
}

qreal Fonts::pixelSize(const QFont& font) {
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return font.pointSizeF() * logicalDpi() / 72.0;
}

QFont Fonts::hand(qreal size) {
    ensureRegistered();
    return handFont().font(size);
}

bool Fonts::handAvailable() {
    ensureRegistered();
    return handFont().registered();
}

QFont Fonts::rounded(qreal size, QFont::Weight weight) {
    QFont font =
        roundedRegistered() ? QFont(QString::fromLatin1(roundedFamily)) : QApplication::font();
    font.setWeight(weight);
    setPixelSize(font, size);
    return font;
}

QFont Fonts::system(qreal size, QFont::Weight weight) {
    QFont font = QApplication::font();
    font.setWeight(weight);
    setPixelSize(font, size);
    return font;
}

QFont Fonts::mono(qreal size) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    setPixelSize(font, size);
    return font;
}

QFont Fonts::eyebrow() {
    QFont font = system(10.5, QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1.3);
    return font;
}

QString Fonts::eyebrowText(const QString& text) {
    return text.toUpper();
}

} // namespace ui

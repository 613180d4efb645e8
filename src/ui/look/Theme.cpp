#include "look/Theme.h"

#include "look/Fonts.h"
#include "look/Ink.h"

#include <QApplication>
#include <QStyleFactory>

namespace ui {

QPalette Theme::palette() {
    QPalette palette;
    const QColor white(Qt::white);
    palette.setColor(QPalette::Window, Ink::paper());
    palette.setColor(QPalette::WindowText, Ink::ink());
    palette.setColor(QPalette::Base, white);
    palette.setColor(QPalette::AlternateBase, Ink::paper());
    palette.setColor(QPalette::Text, Ink::ink());
    palette.setColor(QPalette::PlaceholderText, Ink::ink4());
    palette.setColor(QPalette::Button, white);
    palette.setColor(QPalette::ButtonText, Ink::ink());
    palette.setColor(QPalette::BrightText, white);
    palette.setColor(QPalette::Highlight, Ink::orange());
    palette.setColor(QPalette::HighlightedText, white);
    palette.setColor(QPalette::Link, Ink::blue());
    palette.setColor(QPalette::ToolTipBase, Ink::paper());
    palette.setColor(QPalette::ToolTipText, Ink::ink());
    palette.setColor(QPalette::Light, white);
    palette.setColor(QPalette::Midlight, Ink::mix(white, Ink::ink(), 0.1));
    palette.setColor(QPalette::Mid, Ink::ink4());
    palette.setColor(QPalette::Dark, Ink::ink3());
    palette.setColor(QPalette::Shadow, Ink::ink());
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, Ink::ink4());
    return palette;
}

void Theme::apply(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    application.setPalette(palette());
    Fonts::ensureRegistered();
}

} // namespace ui

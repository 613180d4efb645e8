#include "shell/LightAppearance.h"

#include "look/Ink.h"

#include <QApplication>
#include <QStyleFactory>

namespace ui {

QPalette LightAppearance::palette() {
    QPalette palette(Ink::ink(), Ink::paper());
    palette.setColor(QPalette::Window, Ink::paper());
    palette.setColor(QPalette::WindowText, Ink::ink());
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, Ink::mix(Ink::paper(), Ink::ink(), 0.04));
    palette.setColor(QPalette::Text, Ink::ink());
    palette.setColor(QPalette::PlaceholderText, Ink::ink4());
    palette.setColor(QPalette::Button, Ink::paper());
    palette.setColor(QPalette::ButtonText, Ink::ink());
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, Ink::orange());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, Ink::blue());
    palette.setColor(QPalette::LinkVisited, Ink::blue());
    palette.setColor(QPalette::ToolTipBase, Ink::paper());
    palette.setColor(QPalette::ToolTipText, Ink::ink());
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        palette.setColor(QPalette::Disabled, role, Ink::ink4());
    }
    return palette;
}

void LightAppearance::apply(QApplication& application) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(fusion);
    }
    application.setPalette(palette());
}

} // namespace ui

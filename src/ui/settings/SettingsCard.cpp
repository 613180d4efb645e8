#include "settings/SettingsCard.h"

#include "look/Fonts.h"
#include "look/Ink.h"

#include <QLabel>
#include <QVBoxLayout>

namespace ui {

namespace {

CrayonBox cardBox(double seed) {
    return CrayonBox{Qt::white, std::nullopt, Ink::ink(), 2, 14, true, false, seed};
}

} // namespace

SettingsCard::SettingsCard(const QString& title, double seed, QWidget* parent)
    : BoxedSection(cardBox(seed), parent), content_(new QVBoxLayout(this)) {
    content_->setContentsMargins(12, 12, 12, 12);
    content_->setSpacing(8);
    if (!title.isEmpty()) {
        auto* label = new QLabel(Fonts::eyebrowText(title), this);
        label->setFont(Fonts::eyebrow());
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Ink::orangeDeep());
        label->setPalette(palette);
        content_->addWidget(label);
    }
}

} // namespace ui

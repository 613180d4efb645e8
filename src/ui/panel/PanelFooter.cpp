#include "panel/PanelFooter.h"

#include "look/CrayonButton.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "panel/SpillItem.h"
#include "panel/TextButton.h"

#include <QHBoxLayout>

namespace ui {

PanelFooter::PanelFooter(QWidget* parent)
    : QWidget(parent), settings_(new CrayonButton(QStringLiteral("Settings"),
                                                  CrayonButton::Kind::plain, true, this)),
      dashboard_(
          new CrayonButton(QStringLiteral("Dashboard"), CrayonButton::Kind::yellow, true, this)),
      quit_(new TextButton(QStringLiteral("Quit"), Fonts::system(12, QFont::Bold), Ink::ink3(),
                           this)) {
    auto* row = new QHBoxLayout(this);
    // 2 of extra room above the row.
    row->setContentsMargins(0, 2, 0, 0);
    row->setSpacing(8);
    settings_->setIconName(QStringLiteral("gear"));
    dashboard_->setIconName(QStringLiteral("squares-four"));
    SpillItem::addButton(row, settings_);
    SpillItem::addButton(row, dashboard_);
    row->addStretch(1);
    row->addWidget(quit_, 0, Qt::AlignVCenter);
}

void PanelFooter::setSettingsShown(bool shown) {
    settings_->setText(shown ? QStringLiteral("Done") : QStringLiteral("Settings"));
    settings_->setIconName(shown ? QStringLiteral("check") : QStringLiteral("gear"));
    settings_->setKind(shown ? CrayonButton::Kind::dark : CrayonButton::Kind::plain);
}

} // namespace ui

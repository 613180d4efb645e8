#include "panel/AutoNameSection.h"

#include "AppModel.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "panel/FolderName.h"
#include "panel/ToggleRow.h"

#include <QVBoxLayout>

namespace ui {

namespace {

CrayonBox sectionBox() {
    return CrayonBox{Qt::white, std::nullopt, Ink::ink(), 2.2, 14, true, false, 2};
}

std::vector<ToggleRow::Line> labelLines(const app::AppModel& model) {
    return {
        {{QStringLiteral("Name new screenshots"), Fonts::system(13.5, QFont::Bold), Ink::ink()}},
        {{QStringLiteral("Watching ") + FolderName::of(model.screenshotFolder()) +
              QStringLiteral(" \u00B7 Print Screen"),
          Fonts::system(11), Ink::ink3()}},
    };
}

} // namespace

AutoNameSection::AutoNameSection(app::AppModel& model, QWidget* parent)
    : BoxedSection(sectionBox(), parent), model_(model), row_(new ToggleRow(labelLines(model), 2)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 11, 14, 11);
    row_->setParent(this);
    layout->addWidget(row_);
    connect(row_, &ToggleRow::toggled, this, [this](bool on) { model_.setAutoName(on); });
    refresh();
}

void AutoNameSection::refresh() {
    row_->showChecked(model_.autoName());
}

} // namespace ui

#pragma once

#include "panel/BoxedSection.h"

class QVBoxLayout;

namespace ui {

// One white card of the settings page: an optional eyebrow title above its content.
class SettingsCard : public BoxedSection {
    Q_OBJECT

public:
    // An empty title draws none.
    SettingsCard(const QString& title, double seed, QWidget* parent = nullptr);

    // Where the card's content goes, below the title.
    QVBoxLayout* content() const { return content_; }

private:
    QVBoxLayout* content_;
};

} // namespace ui

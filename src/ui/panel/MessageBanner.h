#pragma once

#include "panel/BoxedSection.h"

namespace app {
class AppModel;
}

namespace ui {

class CrayonButton;
class IconButton;
class WrappedText;

// The model's status line, with "Name Again" after an undo and a dismiss button. Hidden while
// there is no message.
class MessageBanner : public BoxedSection {
    Q_OBJECT

public:
    explicit MessageBanner(app::AppModel& model, QWidget* parent = nullptr);

    // Reads the message and the undone record from the model again.
    void refresh();
    // Whether "Name Again" has a record to act on.
    static bool offersNameAgain(const app::AppModel& model);

    QString text() const;
    CrayonButton* nameAgainButton() const { return nameAgain_; }
    IconButton* dismissButton() const { return dismiss_; }

private:
    void dismiss();

    app::AppModel& model_;
    WrappedText* text_;
    CrayonButton* nameAgain_;
    IconButton* dismiss_;
};

} // namespace ui

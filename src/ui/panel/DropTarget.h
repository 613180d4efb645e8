#pragma once

#include "panel/BoxedSection.h"

#include <filesystem>
#include <vector>

class QDropEvent;
class QMimeData;
class QVariantAnimation;

namespace app {
class AppModel;
}

namespace ui {

class CrayonButton;
class DropPrompt;

// Where images and folders are dropped to be named, with the two tidy-up buttons.
class DropTarget : public BoxedSection {
    Q_OBJECT

public:
    explicit DropTarget(app::AppModel& model, QWidget* parent = nullptr);

    bool dropTargeted() const { return targeted_; }
    CrayonButton* tidyButton() const { return tidy_; }
    CrayonButton* chooseButton() const { return choose_; }

    // The local files and folders a drag carries, in its order.
    static std::vector<std::filesystem::path> localPaths(const QMimeData& data);
    // Hands a drop's files and folders to the model, Alt read from the drop itself. Every
    // window that takes drops goes through here, so all follow the same rules.
    static void deliver(app::AppModel& model, QDropEvent& event);
    static CrayonBox idleBox();
    static CrayonBox targetedBox();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setTargeted(bool targeted);

    app::AppModel& model_;
    DropPrompt* prompt_;
    CrayonButton* tidy_;
    CrayonButton* choose_;
    QVariantAnimation* fade_;
    bool targeted_ = false;
};

} // namespace ui

#include "panel/DropTarget.h"

#include "AppModel.h"
#include "look/CrayonButton.h"
#include "look/Ink.h"
#include "panel/DropPrompt.h"
#include "panel/FolderName.h"
#include "panel/SpillItem.h"
#include "panel/ViewServices.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEasingCurve>
#include <QHBoxLayout>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <QVariantAnimation>

namespace ui {

DropTarget::DropTarget(app::AppModel& model, QWidget* parent)
    : BoxedSection(idleBox(), parent), model_(model), prompt_(new DropPrompt(this)),
      tidy_(new CrayonButton(QStringLiteral("Tidy Up ") + FolderName::of(model.screenshotFolder()),
                             CrayonButton::Kind::orange, true, this)),
      choose_(new CrayonButton(QStringLiteral("Choose Folder\u2026"), CrayonButton::Kind::plain,
                               true, this)),
      fade_(new QVariantAnimation(this)) {
    setAcceptDrops(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 18, 0, 18);
    column->setSpacing(10);
    column->addWidget(prompt_);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    SpillItem::addButton(buttons, tidy_);
    SpillItem::addButton(buttons, choose_);
    buttons->addStretch();
    column->addLayout(buttons);

    connect(tidy_, &QAbstractButton::clicked, this,
            [this] { model_.tidyUp(model_.screenshotFolder()); });
    connect(choose_, &QAbstractButton::clicked, this, [this] { model_.chooseFolderToTidy(); });

    fade_->setDuration(150);
    fade_->setEasingCurve(QEasingCurve::OutCubic);
    fade_->setStartValue(0.0);
    fade_->setEndValue(1.0);
    connect(fade_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setBlend(targetedBox(), value.toReal()); });
}

CrayonBox DropTarget::idleBox() {
    return CrayonBox{QColor(238, 246, 255), Ink::sky(), Ink::ink(), 2.2, 18, false, true, 4};
}

CrayonBox DropTarget::targetedBox() {
    QColor scribble = Ink::pink();
    scribble.setAlphaF(0.55);
    return CrayonBox{Ink::peach(), scribble, Ink::ink(), 2.2, 18, false, false, 4};
}

std::vector<std::filesystem::path> DropTarget::localPaths(const QMimeData& data) {
    std::vector<std::filesystem::path> paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            paths.emplace_back(url.toLocalFile().toStdString());
        }
    }
    return paths;
}

void DropTarget::dragEnterEvent(QDragEnterEvent* event) {
    if (localPaths(*event->mimeData()).empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setTargeted(true);
}

void DropTarget::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void DropTarget::dragLeaveEvent(QDragLeaveEvent* event) {
    setTargeted(false);
    event->accept();
}

void DropTarget::dropEvent(QDropEvent* event) {
    setTargeted(false);
    deliver(model_, *event);
}

void DropTarget::deliver(app::AppModel& model, QDropEvent& event) {
    const auto paths = localPaths(*event.mimeData());
    // The model asks for Alt while it collects the files: answer with this drop's keys.
    const ViewServices::DropModifiers modifiers(event.modifiers());
    model.handleDrop(paths);
    event.setDropAction(Qt::CopyAction);
    event.accept();
}

void DropTarget::setTargeted(bool targeted) {
    if (targeted == targeted_) {
        return;
    }
    targeted_ = targeted;
    prompt_->setTargeted(targeted);
    // A running fade turns round where it is rather than jumping to its other end.
    fade_->setDirection(targeted ? QAbstractAnimation::Forward : QAbstractAnimation::Backward);
    if (fade_->state() != QAbstractAnimation::Running) {
        fade_->start();
    }
}

} // namespace ui

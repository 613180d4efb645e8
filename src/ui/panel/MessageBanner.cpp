#include "panel/MessageBanner.h"

#include "access/Accessibility.h"

#include "AppModel.h"
#include "look/CrayonButton.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "panel/IconButton.h"
#include "panel/SpillItem.h"
#include "panel/WrappedText.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace ui {

namespace {

CrayonBox bannerBox() {
    return CrayonBox{QColor(255, 246, 214), std::nullopt, Ink::ink(), 1.6, 12, false, false, 6};
}

// The body text size the symbol is drawn at, with its line's height as frame.
constexpr qreal infoIconSize = 14;

} // namespace

bool MessageBanner::offersNameAgain(const app::AppModel& model) {
    // After "Clear History" the id may name a record that is no longer there.
    const auto& id = model.lastUndoneID();
    return id && std::any_of(model.history().begin(), model.history().end(),
                             [&](const engine::RenameRecord& r) { return r.id == *id; });
}

MessageBanner::MessageBanner(app::AppModel& model, QWidget* parent)
    : BoxedSection(bannerBox(), parent), model_(model),
      text_(new WrappedText(QString(), Fonts::system(11.5), Ink::ink(), this)),
      nameAgain_(
          new CrayonButton(QStringLiteral("Name Again"), CrayonButton::Kind::orange, true, this)),
      dismiss_(new IconButton(QStringLiteral("x"), Ink::ink3(), 10, QSize(16, 16), this)) {
    setProperty("accessibleKind", QStringLiteral("message"));
    Accessibility::install();
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 10, 10, 10);
    row->setSpacing(8);

    auto* info = new IconButton(QStringLiteral("info-fill"), Ink::orangeDeep(), infoIconSize,
                                QSize(16, 16), this);
    // Only a picture: no hand, and clicks go to the banner.
    info->unsetCursor();
    info->setAttribute(Qt::WA_TransparentForMouseEvents);
    info->setFocusPolicy(Qt::NoFocus);
    info->setAccessibleName(QStringLiteral("Information"));
    row->addWidget(info, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    column->addWidget(text_);
    SpillItem::addButton(column, nameAgain_, Qt::AlignLeft);
    row->addLayout(column, 1);

    dismiss_->setToolTip(QString());
    dismiss_->setAccessibleName(QStringLiteral("Dismiss"));
    row->addWidget(dismiss_, 0, Qt::AlignTop);

    connect(dismiss_, &QAbstractButton::clicked, this, &MessageBanner::dismiss);
    connect(nameAgain_, &QAbstractButton::clicked, this, [this] {
        if (const auto id = model_.lastUndoneID()) {
            model_.nameAgain(*id);
        }
    });
    refresh();
}

void MessageBanner::refresh() {
    const auto& message = model_.message();
    const QString text = message.value_or(QString());
    const bool changed = text != text_->text() || isVisible() != message.has_value();
    setVisible(message.has_value());
    text_->setText(text);
    if (changed) {
        Accessibility::announce(this, text);
    }
    nameAgain_->setVisible(message.has_value() && offersNameAgain(model_));
}

QString MessageBanner::text() const {
    return text_->text();
}

void MessageBanner::dismiss() {
    // Clearing the message clears the undone record with it (the model's change rule).
    model_.setMessage(std::nullopt);
}

} // namespace ui

#include "settings/AboutRow.h"

#include "Updater.h"
#include "look/CrayonButton.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "panel/CachedLogo.h"
#include "panel/SpillItem.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace ui {

namespace {

constexpr int logoSize = 30;

QLabel* label(const QString& text, const QFont& font, const QColor& color, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

AboutRow::AboutRow(QWidget* parent)
    : QWidget(parent), check_(new CrayonButton(QStringLiteral("Check for Updates\u2026"),
                                               CrayonButton::Kind::plain, true, this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    // The logo is painted into this slot.
    row->addSpacing(logoSize);
    row->addSpacing(8);
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    column->addWidget(
        label(QStringLiteral("Quillmark"), Fonts::system(12.5, QFont::Bold), Ink::ink(), this));
    column->addWidget(label(QStringLiteral("Version ") + app::Updater::versionText(),
                            Fonts::system(11), Ink::ink3(), this));
    row->addLayout(column);
    row->addStretch(1);
    row->addSpacing(6);
    SpillItem::addButton(row, check_);
    setMinimumHeight(logoSize);
    connect(check_, &QAbstractButton::clicked, this, [this] {
        if (updater_) {
            updater_->checkForUpdates();
        }
    });
    refresh();
}

void AboutRow::setUpdater(app::Updater* updater) {
    if (updater_) {
        disconnect(updater_, nullptr, this, nullptr);
    }
    updater_ = updater;
    if (updater_) {
        connect(updater_, &app::Updater::canCheckChanged, this, &AboutRow::refresh);
    }
    refresh();
}

void AboutRow::refresh() {
    check_->setEnabled(updater_ && updater_->canCheck());
}

void AboutRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    CachedLogo::paint(painter, QRectF(0, (height() - logoSize) / 2.0, logoSize, logoSize));
}

} // namespace ui

#include "panel/PanelHeader.h"

#include "AppModel.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "panel/CachedLogo.h"
#include "panel/EngineBadge.h"
#include "panel/NamingBadge.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace ui {

namespace {

constexpr int logoSize = 34;

} // namespace

PanelHeader::PanelHeader(app::AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), engine_(new EngineBadge(model.engine(), this)),
      naming_(new NamingBadge(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(10);
    // The logo is painted by the header itself into this slot. A box layout puts no spacing
    // next to a spacer, so the gap to the name is part of it.
    row->addSpacing(logoSize + row->spacing());

    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    auto* title = new QLabel(QStringLiteral("Quillmark"), this);
    title->setFont(Fonts::hand(27));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, Ink::ink());
    title->setPalette(palette);
    column->addWidget(title);
    column->addWidget(engine_);
    row->addLayout(column);
    row->addStretch(1);
    row->addWidget(naming_, 0, Qt::AlignVCenter);
    setMinimumHeight(logoSize);
    refresh();
}

void PanelHeader::refresh() {
    engine_->setEngine(model_.engine());
    naming_->setCount(model_.queued());
}

void PanelHeader::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    CachedLogo::paint(painter, QRectF(0, (height() - logoSize) / 2.0, logoSize, logoSize));
}

} // namespace ui

#include "panel/RecentList.h"

#include "AppModel.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "panel/BoxedSection.h"
#include "panel/LazyRecordColumn.h"
#include "panel/RecentHeader.h"
#include "panel/SlimScrollBar.h"
#include "panel/WrappedText.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace ui {

namespace {

CrayonBox noteBox() {
    return CrayonBox{Qt::white, std::nullopt, Ink::ink(), 1.6, 12, false, true, 8};
}

} // namespace

RecentList::RecentList(app::AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), header_(new RecentHeader(this)),
      scroll_(new QScrollArea(this)), column_(new LazyRecordColumn(model, nullptr)),
      note_(new BoxedSection(noteBox(), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(header_);
    layout->addWidget(scroll_);
    layout->addWidget(note_);

    scroll_->setFrameShape(QFrame::NoFrame);
    // The rows are read out through the column; an unmarked stop for Tab would only confuse.
    scroll_->setFocusPolicy(Qt::NoFocus);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SlimScrollBar::apply(scroll_);
    scroll_->setWidgetResizable(false);
    scroll_->setAutoFillBackground(false);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setWidget(column_);
    column_->setAutoFillBackground(false);
    scroll_->viewport()->installEventFilter(this);
    connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &RecentList::buildVisibleRows);

    auto* noteLayout = new QVBoxLayout(note_);
    noteLayout->setContentsMargins(12, 12, 12, 12);
    auto* text = new WrappedText(
        QStringLiteral("Take a screenshot like you always do. It gets a real name a second later."),
        Fonts::system(12), Ink::ink3(), note_);
    noteLayout->addWidget(text);

    refresh();
}

void RecentList::refresh() {
    auto active = model_.activeRecords();
    const auto total = active.size();
    if (active.size() > static_cast<std::size_t>(shownLimit)) {
        active.resize(shownLimit);
    }
    shown_ = static_cast<int>(active.size());
    header_->setCountText(shown_ > 0 ? QString::number(total) + QStringLiteral(" named")
                                     : QString());
    column_->setRecords(std::move(active));
    scroll_->setVisible(shown_ > 0);
    note_->setVisible(shown_ == 0);
    scroll_->setFixedHeight(listHeight());
    fitColumn();
}

QString RecentList::countText() const {
    return header_->countText();
}

int RecentList::listHeight() const {
    return std::min(heightPerRow * shown_, maxListHeight);
}

bool RecentList::noteShown() const {
    return note_->isVisibleTo(this);
}

bool RecentList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize) {
        fitColumn();
    }
    return QWidget::eventFilter(watched, event);
}

void RecentList::fitColumn() {
    column_->resize(scroll_->viewport()->width(), column_->sizeHint().height());
    buildVisibleRows();
}

void RecentList::buildVisibleRows() {
    if (shown_ == 0) {
        return;
    }
    const QWidget* viewport = scroll_->viewport();
    column_->buildRows(
        QRect(0, scroll_->verticalScrollBar()->value(), viewport->width(), viewport->height()));
}

} // namespace ui

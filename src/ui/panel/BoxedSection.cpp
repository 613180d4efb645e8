#include "panel/BoxedSection.h"

#include <QEvent>
#include <QPainter>

namespace ui {

namespace {

constexpr const char* hostProperty = "quillmarkDecorationHost";
bool isHost(const QWidget* widget) {
    return widget->isWindow() || widget->property(hostProperty).toBool();
}

} // namespace

BoxedSection::BoxedSection(const CrayonBox& box, QWidget* parent) : QWidget(parent), box_(box) {}

void BoxedSection::setBox(const CrayonBox& box) {
    box_ = box;
    other_.reset();
    otherOpacity_ = 0;
    repaintHost();
}

void BoxedSection::setBlend(const CrayonBox& other, qreal otherOpacity) {
    other_ = other;
    otherOpacity_ = otherOpacity;
    repaintHost();
}

QWidget* BoxedSection::host() const {
    QWidget* widget = parentWidget();
    while (widget != nullptr && !isHost(widget)) {
        widget = widget->parentWidget();
    }
    return widget;
}

void BoxedSection::markAsHost(QWidget* widget) {
    widget->setProperty(hostProperty, true);
}

void BoxedSection::paintBoxes(QPainter& painter, QWidget* host) {
    const auto sections = host->findChildren<BoxedSection*>();
    for (const BoxedSection* section : sections) {
        if (!section->isVisibleTo(host) || section->host() != host) {
            continue;
        }
        const QRectF rect(section->mapTo(host, QPoint(0, 0)), QSizeF(section->size()));
        if (section->other_ && section->otherOpacity_ >= 1) {
            section->other_->paint(painter, rect);
            continue;
        }
        section->box_.paint(painter, rect);
        if (section->other_ && section->otherOpacity_ > 0) {
            painter.save();
            painter.setOpacity(section->otherOpacity_);
            section->other_->paint(painter, rect);
            painter.restore();
        }
    }
}

bool BoxedSection::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        repaintHost();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void BoxedSection::repaintHost() {
    // The whole host: a section that moved leaves its old spill behind as well.
    if (QWidget* target = host()) {
        target->update();
    }
}

} // namespace ui

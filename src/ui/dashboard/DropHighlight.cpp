#include "dashboard/DropHighlight.h"

#include "look/Fonts.h"
#include "look/Ink.h"

#include <QPainter>
#include <QPainterPath>

namespace ui {

DropHighlight::DropHighlight(QWidget* parent) : QWidget(parent) {
    // Drags and clicks go to the window below; this only shows.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
}

void DropHighlight::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor wash = Ink::peach();
    wash.setAlphaF(0.55F);
    const QRectF frame = QRectF(rect()).adjusted(10, 10, -10, -10);
    QPainterPath box;
    box.addRoundedRect(frame, 18, 18);
    painter.fillPath(box, wash);
    QPen pen(Ink::orange(), 3, Qt::DashLine);
    pen.setCapStyle(Qt::RoundCap);
    painter.strokePath(box, pen);
    painter.setPen(Ink::ink());
    painter.setFont(Fonts::rounded(22, QFont::DemiBold));
    painter.drawText(frame, Qt::AlignCenter, QStringLiteral("Let go to name them"));
}

} // namespace ui

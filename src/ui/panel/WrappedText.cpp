#include "panel/WrappedText.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

namespace ui {

WrappedText::WrappedText(const QString& text, const QFont& font, const QColor& color,
                         QWidget* parent)
    : QWidget(parent), text_(text), font_(font), color_(color) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(text);
}

void WrappedText::setText(const QString& text) {
    if (text == text_) {
        return;
    }
    text_ = text;
    layoutWidth_ = -1;
    setAccessibleName(text);
    updateGeometry();
    update();
}

const QTextLayout& WrappedText::layoutFor(int width) const {
    if (layout_ && width == layoutWidth_) {
        return *layout_;
    }
    layout_ = std::make_unique<QTextLayout>(text_, font_);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_->setTextOption(option);
    layout_->setCacheEnabled(true);
    qreal y = 0;
    layout_->beginLayout();
    for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout_->endLayout();
    layoutWidth_ = width;
    layoutHeight_ = y;
    return *layout_;
}

QSize WrappedText::sizeHint() const {
    const QFontMetricsF metrics(font_);
    // Prefer one line up to a comfortable width; the layout narrows it as needed.
    const int width = std::min(300, static_cast<int>(std::ceil(metrics.horizontalAdvance(text_))));
    return {width, heightForWidth(width)};
}

QSize WrappedText::minimumSizeHint() const {
    // One line: the real height comes from heightForWidth at the width the layout gives. A
    // height for some tiny width here would become the whole window's minimum height.
    return {40, text_.isEmpty() ? 0 : static_cast<int>(std::ceil(QFontMetricsF(font_).height()))};
}

int WrappedText::heightForWidth(int width) const {
    if (text_.isEmpty()) {
        return 0;
    }
    layoutFor(width);
    return static_cast<int>(std::ceil(layoutHeight_));
}

void WrappedText::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color_);
    layoutFor(width()).draw(&painter, QPointF(0, 0));
}

} // namespace ui

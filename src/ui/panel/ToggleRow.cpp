#include "panel/ToggleRow.h"

#include "look/CrayonToggle.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

namespace ui {

namespace {

constexpr qreal labelGap = 10;

qreal lineAscent(const ToggleRow::Line& line) {
    qreal ascent = 0;
    for (const auto& run : line) {
        ascent = std::max(ascent, QFontMetricsF(run.font).ascent());
    }
    return ascent;
}

} // namespace

ToggleRow::ToggleRow(std::vector<Line> lines, qreal lineSpacing, QWidget* parent)
    : QWidget(parent), lines_(std::move(lines)), lineSpacing_(lineSpacing),
      toggle_(new CrayonToggle(QString(), this)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    toggle_->setAccessibleName(labelText());
    connect(toggle_, &QAbstractButton::toggled, this, &ToggleRow::toggled);
}

bool ToggleRow::isChecked() const {
    return toggle_->isChecked();
}

void ToggleRow::showChecked(bool checked) {
    if (toggle_->isChecked() == checked) {
        return;
    }
    const QSignalBlocker blocker(this);
    toggle_->setChecked(checked);
}

void ToggleRow::setLines(std::vector<Line> lines) {
    lines_ = std::move(lines);
    paintedWidth_ = -1;
    toggle_->setAccessibleName(labelText());
    updateGeometry();
    update();
}

QString ToggleRow::labelText() const {
    QStringList texts;
    for (const auto& line : lines_) {
        QString text;
        for (const auto& run : line) {
            text += run.text;
        }
        texts << text;
    }
    return texts.join(QLatin1Char('\n'));
}

qreal ToggleRow::lineHeight(const Line& line) {
    qreal height = 0;
    for (const auto& run : line) {
        height = std::max(height, QFontMetricsF(run.font).height());
    }
    return height;
}

qreal ToggleRow::labelHeight(const std::vector<Line>& lines) const {
    qreal height = 0;
    for (const auto& line : lines) {
        height += lineHeight(line);
    }
    if (lines.size() > 1) {
        height += lineSpacing_ * static_cast<qreal>(lines.size() - 1);
    }
    return height;
}

qreal ToggleRow::labelWidth() const {
    return std::max<qreal>(0, width() - toggle_->sizeHint().width() - labelGap);
}

std::vector<ToggleRow::Line> ToggleRow::wrapped(qreal width) const {
    std::vector<Line> lines;
    for (const auto& line : lines_) {
        Line current;
        qreal used = 0;
        for (Run run : line) {
            qreal advance = QFontMetricsF(run.font).horizontalAdvance(run.text);
            if (!current.empty() && used + advance > width) {
                lines.push_back(std::move(current));
                current = {};
                used = 0;
                run.text = run.text.trimmed();
                advance = QFontMetricsF(run.font).horizontalAdvance(run.text);
            }
            used += advance;
            current.push_back(std::move(run));
        }
        lines.push_back(std::move(current));
    }
    return lines;
}

QSize ToggleRow::sizeHint() const {
    qreal width = 0;
    for (const auto& line : lines_) {
        qreal lineWidth = 0;
        for (const auto& run : line) {
            lineWidth += QFontMetricsF(run.font).horizontalAdvance(run.text);
        }
        width = std::max(width, lineWidth);
    }
    const QSize switchSize = toggle_->sizeHint();
    return QSizeF(std::ceil(width + labelGap + switchSize.width()),
                  std::ceil(std::max<qreal>(labelHeight(lines_), switchSize.height())))
        .toSize();
}

int ToggleRow::heightForWidth(int width) const {
    const QSize switchSize = toggle_->sizeHint();
    const qreal label = labelHeight(wrapped(width - switchSize.width() - labelGap));
    return static_cast<int>(std::ceil(std::max<qreal>(label, switchSize.height())));
}

QSize ToggleRow::minimumSizeHint() const {
    return {toggle_->sizeHint().width(), heightForWidth(toggle_->sizeHint().width() * 4)};
}

void ToggleRow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QSize switchSize = toggle_->sizeHint();
    toggle_->setGeometry(width() - switchSize.width(), (height() - switchSize.height()) / 2,
                         switchSize.width(), switchSize.height());
}

void ToggleRow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        toggle_->click();
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

const std::vector<ToggleRow::Line>& ToggleRow::paintedLines() const {
    if (paintedWidth_ == width()) {
        return painted_;
    }
    const qreal available = labelWidth();
    painted_ = wrapped(available);
    for (auto& line : painted_) {
        qreal x = 0;
        for (auto& run : line) {
            const QFontMetricsF metrics(run.font);
            run.text = metrics.elidedText(run.text, Qt::ElideRight, available - x);
            x += metrics.horizontalAdvance(run.text);
        }
    }
    paintedWidth_ = width();
    return painted_;
}

void ToggleRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const auto& lines = paintedLines();
    qreal y = (height() - labelHeight(lines)) / 2;
    for (const auto& line : lines) {
        const qreal baseline = y + lineAscent(line);
        qreal x = 0;
        for (const auto& run : line) {
            painter.setFont(run.font);
            painter.setPen(run.color);
            painter.drawText(QPointF(x, baseline), run.text);
            x += QFontMetricsF(run.font).horizontalAdvance(run.text);
        }
        y += lineHeight(line) + lineSpacing_;
    }
}

} // namespace ui

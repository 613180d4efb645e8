#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextLayout>
#include <QWidget>

#include <memory>

namespace ui {

// Plain text that wraps to the width it gets and grows downwards to show all of it. Words
// longer than a line (file names, paths) are broken anywhere rather than cut off.
class WrappedText : public QWidget {
    Q_OBJECT

public:
    WrappedText(const QString& text, const QFont& font, const QColor& color,
                QWidget* parent = nullptr);

    const QString& text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Lays the text out for `width`, reusing the last layout at the same width.
    const QTextLayout& layoutFor(int width) const;

    QString text_;
    QFont font_;
    QColor color_;
    mutable std::unique_ptr<QTextLayout> layout_;
    mutable int layoutWidth_ = -1;
    mutable qreal layoutHeight_ = 0;
};

} // namespace ui

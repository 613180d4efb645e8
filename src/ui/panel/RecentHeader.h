#pragma once

#include <QString>
#include <QWidget>

namespace ui {

// The "Recently named" eyebrow with, when entries are shown, the mint count chip.
class RecentHeader : public QWidget {
    Q_OBJECT

public:
    explicit RecentHeader(QWidget* parent = nullptr);

    const QString& countText() const { return countText_; }
    // Empty hides the chip.
    void setCountText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString countText_;
};

} // namespace ui

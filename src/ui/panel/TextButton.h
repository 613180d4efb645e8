#pragma once

#include <QAbstractButton>
#include <QColor>

namespace ui {

// A plain text button: only its label, with the pointing hand over it.
class TextButton : public QAbstractButton {
    Q_OBJECT

public:
    TextButton(const QString& text, const QFont& font, const QColor& color,
               QWidget* parent = nullptr);

    QSize sizeHint() const override;

    static constexpr int focusRoom = 4;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

} // namespace ui

#pragma once

#include <QAbstractButton>

namespace ui {

// One row of the name-style card: the example name written in one style, with a round marker
// that is filled while the style is the chosen one.
class StyleOption : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool selected READ isSelected)

public:
    explicit StyleOption(const QString& text, QWidget* parent = nullptr);

    bool isSelected() const { return selected_; }
    void setSelected(bool selected);

    QSize sizeHint() const override;
    // Narrower than the text: the text ends in an ellipsis, the whole of it in the tooltip.
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont textFont() const;

    bool selected_ = false;
    // The text as drawn, shortened for `shownWidth_`.
    mutable QString shown_;
    mutable int shownWidth_ = -1;
    mutable bool shownBold_ = false;
};

} // namespace ui

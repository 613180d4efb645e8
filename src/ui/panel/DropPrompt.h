#pragma once

#include <QWidget>

namespace ui {

// The drop target's symbol above its handwritten line; both follow whether a drag hovers.
class DropPrompt : public QWidget {
    Q_OBJECT

public:
    explicit DropPrompt(QWidget* parent = nullptr);

    void setTargeted(bool targeted);
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool targeted_ = false;
};

} // namespace ui

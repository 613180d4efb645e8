#pragma once

#include <QWidget>

class QTimer;

namespace ui {

// "Naming 3" in a yellow capsule with a small spinner, shown while files wait to be named.
class NamingBadge : public QWidget {
    Q_OBJECT

public:
    explicit NamingBadge(QWidget* parent = nullptr);

    // Hidden at 0.
    void setCount(int count);
    int count() const { return count_; }
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int count_ = 0;
    int phase_ = 0;
    QTimer* spin_;
};

} // namespace ui

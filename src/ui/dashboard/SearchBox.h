#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ui {

// The search field of the top bar: a crayon box with the magnifier, the field, and either the
// key hint or a clear button.
class SearchBox : public QWidget {
    Q_OBJECT

public:
    explicit SearchBox(QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    QToolButton* clearButton() const { return clear_; }
    QString query() const;
    void focusField();
    bool showsHint() const;

    static constexpr int boxWidth = 300;
    static constexpr int boxHeight = 40;
    static constexpr int margin = 4; // room for the wobble around the box
    static constexpr int shadowRoom = 5;

signals:
    void queryChanged(const QString& query);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRectF box() const;
    QRectF hintRect() const;

    QLineEdit* field_;
    QToolButton* clear_;
};

} // namespace ui

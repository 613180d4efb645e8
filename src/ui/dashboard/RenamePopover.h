#pragma once

#include <QWidget>

#include <string>

class QLineEdit;

namespace ui {

class CrayonButton;

// The small window below a card where the user types a better name.
class RenamePopover : public QWidget {
    Q_OBJECT

public:
    RenamePopover(std::string recordId, const QString& draft, QWidget* parent = nullptr);

    const std::string& recordId() const { return recordId_; }
    QLineEdit* field() const { return field_; }
    CrayonButton* saveButton() const { return save_; }
    CrayonButton* cancelButton() const { return cancel_; }
    // Opens with the middle of its top edge at `anchor` (global coordinates).
    void showBelow(const QPoint& anchor);
    // Opens below `card` (global coordinates), or above it where the screen ends first.
    void showNear(const QRect& card);
    // Where a popover of `size` goes for `card` within `area`: its top-left corner.
    static QPoint placement(const QSize& size, const QRect& card, const QRect& area);

signals:
    // The draft exactly as typed; the popover has already closed.
    void saved(const QString& draft);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void save();
    void showAt(const QPoint& topLeft);
    // The whole name selected with the caret at its start, so the start shows.
    void selectFromStart();

    std::string recordId_;
    QLineEdit* field_;
    CrayonButton* cancel_;
    CrayonButton* save_;
    bool done_ = false;
};

} // namespace ui

#pragma once

#include "files/RenameRecord.h"
#include "panel/RecordPresentation.h"

#include <QFont>
#include <QPixmap>
#include <QStaticText>
#include <QWidget>
#include <vector>

class QAbstractButton;
class QLineEdit;
class QMenu;

namespace app {
class AppModel;
}

namespace ui {

class Thumbnail;
class ThumbnailCache;

// One rename in the recent list: thumbnail, new name with the mark of the engine that made it,
// the old name struck through, and on hover the buttons to rename by hand, show the file in its
// folder and undo. Renaming by hand happens in place and reaches the model as a correction.
//
// Every model action runs on the next turn of the event loop and finds its record by id then:
// the model's change signals may rebuild the list, and that must not delete a row (or the
// button or menu that was clicked) in the middle of its own event handler.
class RecordRow : public QWidget {
    Q_OBJECT

public:
    // Room above and left of the box for its wobbling outline, which a widget would clip.
    static constexpr int outlineRoom = 2;
    // The box (36 px thumbnail with 7 px padding above and below), 1 px below it, and the room.
    static constexpr int rowHeight = outlineRoom + 50 + 1;

    RecordRow(app::AppModel& model, const engine::RenameRecord& record, QWidget* parent = nullptr);
    // As above with another thumbnail cache than the shared one.
    RecordRow(app::AppModel& model, const engine::RenameRecord& record, ThumbnailCache* cache,
              QWidget* parent = nullptr);
    ~RecordRow() override;

    // Another record starts the row afresh; the same record (renamed, say) keeps an edit going.
    void setRecord(const engine::RenameRecord& record);
    const engine::RenameRecord& record() const { return record_; }

    bool isEditing() const { return editing_; }
    const QString& draft() const { return draft_; }
    bool isHovering() const { return hovering_; }
    // Null until the first edit.
    QLineEdit* nameField() const { return field_; }
    Thumbnail* thumbnail() const { return thumbnail_; }

    // Shows the name field with the current name; `focusField` moves the keyboard focus to it
    // on the next turn of the event loop.
    void beginRename(bool focusField);
    // The context menu's entries, in order.
    void fillContextMenu(QMenu& menu);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // 0 to 96, stable for an identifier while the program runs.
    static int outlineSeed(const std::string& id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void submit();
    void cancel();
    // Leaves the rename field; false when no rename was going on.
    bool endEditing();
    void setHovering(bool hovering);
    void updateActions();
    void ensureActions();
    void ensureField();
    void relayout();
    QRectF boxRect() const;
    void post(RecordPresentation::Action action);
    const QPixmap& boxLayer(const QSizeF& size, qreal dpr);
    const QPixmap& markPixmap(qreal dpr);

    app::AppModel& model_;
    engine::RenameRecord record_;
    int seed_ = 0;
    bool editing_ = false;
    QString draft_;
    bool hovering_ = false;

    Thumbnail* thumbnail_ = nullptr;
    std::vector<QAbstractButton*> actions_;
    QLineEdit* field_ = nullptr;

    // Laid out by relayout(), so a repaint only draws.
    QFont nameFont_;
    QFont originalFont_;
    QStaticText name_;
    QStaticText original_;
    QRectF markRect_;
    QPointF namePos_;
    QPointF originalPos_;
    QLineF strike_;
    qreal strikeWidth_ = 1;
    QPixmap boxLayer_;
    QSizeF boxLayerSize_;
    bool boxLayerHovering_ = false;
    QPixmap mark_;
};

} // namespace ui

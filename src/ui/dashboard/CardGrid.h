#pragma once

#include "access/ItemList.h"

#include "dashboard/RenamePopover.h"
#include "files/RenameRecord.h"
#include "panel/RecordPresentation.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class QMenu;
class QVariantAnimation;

namespace app {
class AppModel;
}

namespace ui {

// The scrolling grid of shot cards. It paints only the rows on screen and keeps hit areas
// instead of one widget per card, so 500 records scroll as smoothly as 5.
class CardGrid : public QAbstractScrollArea, public ItemList {
    Q_OBJECT

public:
    struct Layout {
        int columns = 1;
        qreal columnWidth = 0;
        qreal left = 0;
    };
    using Opener = std::function<void(const QString& path)>;
    // Shows a card's menu at a global position (tests look at the menu instead).
    using MenuRunner = std::function<void(QMenu& menu, const QPoint& globalPos)>;

    explicit CardGrid(app::AppModel& model, QWidget* parent = nullptr);
    ~CardGrid() override;

    // `textLines` maps the ids of records found by their text to the line that matched.
    void setRecords(std::vector<engine::RenameRecord> records, const QString& query,
                    std::unordered_map<std::string, QString> textLines = {});
    QString textLine(const std::string& id) const;
    const std::vector<engine::RenameRecord>& records() const { return records_; }
    void setOpener(Opener opener) { opener_ = std::move(opener); }
    void setMenuRunner(MenuRunner runner) { menuRunner_ = std::move(runner); }

    // The card the keyboard is on (-1 with no cards): arrows move it, Return opens it, F2
    // renames it, Delete or Ctrl+Z undoes it, the menu key opens its menu.
    int currentIndex() const;
    void setCurrentIndex(int index);
    // Scrolls as little as needed to show the card whole.
    void ensureVisible(int index);

    int accessibleItemCount() const override { return static_cast<int>(records_.size()); }
    QString accessibleItemName(int index) const override;
    QString accessibleItemDescription(int index) const override;
    QRect accessibleItemRect(int index) const override;
    bool accessibleItemSelected(int index) const override { return index == currentIndex(); }
    int accessibleCurrentItem() const override { return currentIndex(); }
    void activateAccessibleItem(int index) override { openCard(records_.at(index).id); }
    bool showAccessibleItemMenu(int index) override;

    static Layout layoutFor(qreal width);
    // A card's cell in content coordinates (before scrolling).
    QRectF cellRect(int index) const;
    int cardAt(const QPoint& viewportPoint) const;
    qreal contentHeight() const;
    // Draws the visible cards into `painter` as the viewport shows them.
    void paintCards(QPainter& painter, const QRect& viewportRect);

    const std::string& hoveredId() const { return hoveredId_; }
    qreal hoverProgress(const std::string& id) const;
    void setHovered(const std::string& id);
    // Actions name their card by record id and find it when they run: the list may have
    // changed under an open menu or popover.
    void startRenaming(const std::string& id);
    RenamePopover* popover() const { return popover_; }
    void openCard(const std::string& id);
    void run(const std::string& id, RecordPresentation::Action action);
    void showContextMenu(int index, const QPoint& globalPos);
    // The record's place in the list, or -1.
    int indexOf(const std::string& id) const;

    static constexpr qreal spacing = 18;
    static constexpr qreal minColumn = 196;
    static constexpr qreal maxColumn = 280;
    static constexpr qreal topPadding = 2;
    static constexpr qreal bottomPadding = 24;
    static constexpr qreal trailingPadding = 4;
    // Room around a cached card for its outline and shadow.
    static constexpr qreal cardMargin = 8;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    QRectF viewRect(int index) const;
    int buttonAt(int index, const QPoint& viewportPoint) const;
    void trigger(int index, int button);
    void updateScrollRange();
    QImage thumbnailFor(const engine::RenameRecord& record);
    void thumbnailArrived(const QString& path, int pixelSize);
    void animateHover(const std::string& id, qreal target);
    void paintCard(QPainter& painter, int index);
    // Where a cached card goes: a whole device pixel, and how far its cell lies past it.
    struct Placement {
        QPointF topLeft;
        QPointF offset;
    };
    Placement placement(int index, qreal dpr) const;
    const QString& recordKey(int index) const;
    // The image, size, pixel ratio and offset a card is drawn with.
    QString drawingKey(int index, const QImage& image, qreal dpr, QPointF offset) const;
    QString cardKey(int index, const QImage& image, qreal dpr, QPointF offset) const;
    QString baseKey(int index, const QImage& image, qreal dpr, QPointF offset) const;
    // What of a card at rest the query does not change, from its own cache.
    QPixmap baseImage(int index, const QImage& image, qreal dpr, QPointF offset);
    // The card at rest from the cache, drawn into it first when missing; null when too big.
    QPixmap* cardImage(int index, const QImage& image, qreal dpr, QPointF offset);
    void prepareSoon(int index);
    void prepareNext();
    // Withdraws the thumbnails asked for cards outside `first`..`last`.
    void withdrawOutside(int first, int last);
    void moveCurrent(int index);
    void showMenuAtCard(int index);
    int rowsPerPage() const;

    app::AppModel& model_;
    std::vector<engine::RenameRecord> records_;
    QString query_;
    std::unordered_map<std::string, QString> textLines_;
    std::string hoveredId_;
    std::unordered_map<std::string, qreal> hover_;
    std::unordered_map<std::string, QVariantAnimation*> animations_;
    QSet<QString> failed_;
    // Thumbnails asked of the cache and not answered; the ones scrolled away are withdrawn.
    QSet<QString> asked_;
    // Cards only passed on the way are not worth a decode: thumbnails are asked for once the
    // scrolling has paused.
    QTimer scrollPause_;
    QPointer<RenamePopover> popover_;
    Opener opener_;
    MenuRunner menuRunner_;
    std::string currentId_;
    // Cards at rest, drawn once per look: scrolling then only copies pixels.
    QCache<QString, QPixmap> cardImages_{16 * 1024};
    QCache<QString, QPixmap> baseImages_{10 * 1024};
    // What of a card's cache key only setRecords changes, one per record, made on first use.
    mutable std::vector<QString> recordKeys_;
    std::vector<int> pending_;
};

} // namespace ui

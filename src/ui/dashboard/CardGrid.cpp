#include "dashboard/CardGrid.h"

#include "access/Accessibility.h"
#include "access/RecordDescription.h"
#include "look/FocusRing.h"

#include "AppModel.h"
#include "dashboard/DashboardText.h"
#include "dashboard/RenamePopover.h"
#include "dashboard/ShotCard.h"
#include "panel/ThumbnailCache.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <QVariantAnimation>
#include <QtMath>

#include <cmath>

namespace ui {

namespace {

qreal rowHeight() {
    return ShotCard::cellHeight() + CardGrid::spacing;
}

// Room for a card's outline and shadow, and one device pixel more each way for its offset.
QPixmap blankCard(QSizeF cell, qreal dpr) {
    const QSizeF size = cell + QSizeF(2 * CardGrid::cardMargin, 2 * CardGrid::cardMargin);
    QPixmap pixmap(qCeil(size.width() * dpr) + 1, qCeil(size.height() * dpr) + 1);
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

CardGrid::CardGrid(app::AppModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), model_(model), opener_([this](const QString& path) {
          if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path))) {
              model_.couldNotOpen(path.toStdString());
          }
      }) {
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    verticalScrollBar()->setSingleStep(24);
    scrollPause_.setSingleShot(true);
    scrollPause_.setInterval(80);
    connect(&scrollPause_, &QTimer::timeout, viewport(), [this] { viewport()->update(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { scrollPause_.start(); });
    // A click focuses the grid without the mark; the keyboard then moves among the cards.
    setFocusPolicy(Qt::StrongFocus);
    // Installed before the name is set: naming makes Qt describe the widget at once.
    Accessibility::install();
    setAccessibleName(QStringLiteral("Screenshots"));
    FocusRing::attach(this);
    menuRunner_ = [](QMenu& menu, const QPoint& globalPos) { menu.exec(globalPos); };
    connect(&ThumbnailCache::shared(), &ThumbnailCache::loaded, this, &CardGrid::thumbnailArrived);
    connect(&ThumbnailCache::shared(), &ThumbnailCache::failed, this,
            [this](const QString& path, int size) {
                if (size == ShotCard::thumbnailPixels) {
                    asked_.remove(path);
                    failed_.insert(path);
                }
            });
}

CardGrid::~CardGrid() = default;

void CardGrid::setRecords(std::vector<engine::RenameRecord> records, const QString& query,
                          std::unordered_map<std::string, QString> textLines) {
    // A card that leaves the list takes its failed thumbnail with it: a new card tries again.
    QSet<QString> kept;
    for (const auto& record : records) {
        const QString path = RecordPresentation::presentPath(record);
        if (failed_.contains(path)) {
            kept.insert(path);
        }
    }
    failed_ = kept;
    records_ = std::move(records);
    query_ = query;
    if (currentIndex() < 0 || records_[currentIndex()].id != currentId_) {
        currentId_ = records_.empty() ? std::string() : records_.front().id;
    }
    textLines_ = std::move(textLines);
    recordKeys_.assign(records_.size(), QString());
    pending_.clear();
    if (popover_) {
        const std::string& id = popover_->recordId();
        const bool stillListed = std::any_of(records_.begin(), records_.end(),
                                             [&](const auto& r) { return r.id == id; });
        if (!stillListed) {
            popover_->close();
        }
    }
    updateScrollRange();
    viewport()->update();
}

CardGrid::Layout CardGrid::layoutFor(qreal width) {
    const qreal available = std::max<qreal>(0, width - trailingPadding);
    Layout layout;
    layout.columns =
        std::max(1, static_cast<int>(std::floor((available + spacing) / (minColumn + spacing))));
    const qreal share = (available - spacing * (layout.columns - 1)) / layout.columns;
    layout.columnWidth = std::clamp(share, std::min(minColumn, available), maxColumn);
    const qreal used = layout.columns * layout.columnWidth + (layout.columns - 1) * spacing;
    layout.left = std::max<qreal>(0, (available - used) / 2);
    return layout;
}

QRectF CardGrid::cellRect(int index) const {
    const Layout layout = layoutFor(viewport()->width());
    const int row = index / layout.columns;
    const int column = index % layout.columns;
    return {layout.left + column * (layout.columnWidth + spacing), topPadding + row * rowHeight(),
            layout.columnWidth, ShotCard::cellHeight()};
}

QRectF CardGrid::viewRect(int index) const {
    return cellRect(index).translated(0, -verticalScrollBar()->value());
}

qreal CardGrid::contentHeight() const {
    if (records_.empty()) {
        return 0;
    }
    const int columns = layoutFor(viewport()->width()).columns;
    const int rows = (static_cast<int>(records_.size()) + columns - 1) / columns;
    return topPadding + rows * rowHeight() - spacing + bottomPadding;
}

int CardGrid::cardAt(const QPoint& point) const {
    const Layout layout = layoutFor(viewport()->width());
    const qreal y = point.y() + verticalScrollBar()->value() - topPadding;
    if (y < 0) {
        return -1;
    }
    const int row = static_cast<int>(y / rowHeight());
    const qreal x = point.x() - layout.left;
    const int column = x < 0 ? -1 : static_cast<int>(x / (layout.columnWidth + spacing));
    if (column < 0 || column >= layout.columns) {
        return -1;
    }
    const int index = row * layout.columns + column;
    if (index >= static_cast<int>(records_.size())) {
        return -1;
    }
    return ShotCard::boxRect(viewRect(index)).contains(point) ? index : -1;
}

int CardGrid::buttonAt(int index, const QPoint& point) const {
    if (index < 0 || records_[index].id != hoveredId_) {
        return -1;
    }
    const auto count = RecordPresentation::hoverActions(records_[index]).size();
    const auto rects = ShotCard::buttonRects(viewRect(index), count);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].adjusted(-1, -1, 1, 1).contains(point)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

qreal CardGrid::hoverProgress(const std::string& id) const {
    const auto found = hover_.find(id);
    return found == hover_.end() ? 0 : found->second;
}

void CardGrid::animateHover(const std::string& id, qreal target) {
    if (id.empty()) {
        return;
    }
    QVariantAnimation*& animation = animations_[id];
    if (animation == nullptr) {
        animation = new QVariantAnimation(this);
        animation->setDuration(150);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        connect(animation, &QVariantAnimation::valueChanged, this, [this, id](const QVariant& v) {
            hover_[id] = v.toReal();
            viewport()->update();
        });
        connect(animation, &QVariantAnimation::finished, this, [this, id]() {
            if (hover_[id] <= 0) {
                hover_.erase(id);
            }
        });
    }
    animation->stop();
    animation->setStartValue(hoverProgress(id));
    animation->setEndValue(target);
    animation->start();
}

void CardGrid::setHovered(const std::string& id) {
    if (id == hoveredId_) {
        return;
    }
    animateHover(hoveredId_, 0);
    hoveredId_ = id;
    animateHover(hoveredId_, 1);
    viewport()->update();
}

QImage CardGrid::thumbnailFor(const engine::RenameRecord& record) {
    const QString path = RecordPresentation::presentPath(record);
    ThumbnailCache& cache = ThumbnailCache::shared();
    if (auto image = cache.cached(path, ShotCard::thumbnailPixels)) {
        return *image;
    }
    if (!scrollPause_.isActive() && !failed_.contains(path) && !asked_.contains(path)) {
        asked_.insert(path);
        cache.request(path, ShotCard::thumbnailPixels);
    }
    return {};
}

void CardGrid::withdrawOutside(int first, int last) {
    if (asked_.isEmpty()) {
        return;
    }
    QSet<QString> near;
    for (int i = std::max(0, first); i <= last && i < static_cast<int>(records_.size()); ++i) {
        near.insert(RecordPresentation::presentPath(records_[i]));
    }
    for (auto it = asked_.begin(); it != asked_.end();) {
        if (near.contains(*it)) {
            ++it;
            continue;
        }
        ThumbnailCache::shared().withdraw(*it, ShotCard::thumbnailPixels);
        it = asked_.erase(it);
    }
}

void CardGrid::thumbnailArrived(const QString& path, int pixelSize) {
    if (pixelSize == ShotCard::thumbnailPixels) {
        asked_.remove(path);
        failed_.remove(path);
        viewport()->update();
    }
}

const QString& CardGrid::recordKey(int index) const {
    QString& key = recordKeys_[index];
    if (!key.isEmpty()) {
        return key;
    }
    const engine::RenameRecord& record = records_[index];
    // The query matters only through what it marks, so typing leaves unmarked cards alone.
    auto marked = [this](const QString& text) {
        const auto range = DashboardText::highlight(text, query_);
        return range ? QStringLiteral("%1-%2").arg(range->first).arg(range->second) : QString();
    };
    key = QStringLiteral("%1|%2|%3|%4|%5|%6")
              .arg(QString::fromStdString(record.id), QString::fromStdString(record.currentName),
                   QString::fromStdString(record.originalName),
                   QString::fromStdString(record.folderPath))
              .arg(record.undone)
              .arg(record.date.time_since_epoch().count()) +
          QLatin1Char('|') + marked(RecordPresentation::shownStem(record)) + QLatin1Char('|') +
          marked(RecordPresentation::secondLine(record)) + QLatin1Char('|') + textLine(record.id) +
          QLatin1Char('|') + marked(ShotCard::quotedTextLine(textLine(record.id)));
    return key;
}

CardGrid::Placement CardGrid::placement(int index, qreal dpr) const {
    // Whole device pixels: a cached card is then copied, not resampled, and where the cell
    // falls between pixels the card is drawn that much into its image instead.
    const QPointF origin = viewRect(index).topLeft() - QPointF(cardMargin, cardMargin);
    const QPointF snapped(std::floor(origin.x() * dpr) / dpr, std::floor(origin.y() * dpr) / dpr);
    return {snapped, origin - snapped};
}

QString CardGrid::drawingKey(int index, const QImage& image, qreal dpr, QPointF offset) const {
    const QSizeF size = cellRect(index).size();
    QString key;
    for (const qint64 part :
         {image.isNull() ? qint64(0) : image.cacheKey(), qint64(std::lround(size.width() * 64)),
          qint64(std::lround(size.height() * 64)), qint64(std::lround(dpr * 64)),
          qint64(std::lround(offset.x() * 256)), qint64(std::lround(offset.y() * 256))}) {
        key += QLatin1Char('|') + QString::number(part);
    }
    return key;
}

QString CardGrid::cardKey(int index, const QImage& image, qreal dpr, QPointF offset) const {
    return recordKey(index) + drawingKey(index, image, dpr, offset);
}

QString CardGrid::textLine(const std::string& id) const {
    const auto found = textLines_.find(id);
    return found == textLines_.end() ? QString() : found->second;
}

QString CardGrid::baseKey(int index, const QImage& image, qreal dpr, QPointF offset) const {
    const engine::RenameRecord& record = records_[index];
    // Only an undone card's meta line moves for a text line.
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
               .arg(QString::fromStdString(record.id), QString::fromStdString(record.folderPath))
               .arg(record.undone)
               .arg(static_cast<int>(record.source))
               .arg(record.undone && !textLine(record.id).isEmpty())
               .arg(record.date.time_since_epoch().count()) +
           drawingKey(index, image, dpr, offset);
}

QPixmap CardGrid::baseImage(int index, const QImage& image, qreal dpr, QPointF offset) {
    const QString key = baseKey(index, image, dpr, offset);
    if (const QPixmap* cached = baseImages_.object(key)) {
        return *cached;
    }
    QPixmap pixmap = blankCard(cellRect(index).size(), dpr);
    QPainter card(&pixmap);
    card.setRenderHint(QPainter::Antialiasing);
    card.setRenderHint(QPainter::SmoothPixmapTransform);
    const engine::RenameRecord& record = records_[index];
    ShotCard::paintBase(card,
                        QRectF(QPointF(cardMargin, cardMargin) + offset, cellRect(index).size()),
                        record, image, 0, !textLine(record.id).isEmpty());
    card.end();
    const int cost = std::max(1, pixmap.width() * pixmap.height() * 4 / 1024);
    // Two screens of cards with the rows drawn ahead: typing then redraws only their texts.
    baseImages_.setMaxCost(static_cast<qsizetype>(10 * 1024 * dpr * dpr));
    baseImages_.insert(key, new QPixmap(pixmap), cost);
    return pixmap;
}

QPixmap* CardGrid::cardImage(int index, const QImage& image, qreal dpr, QPointF offset) {
    const QString key = cardKey(index, image, dpr, offset);
    if (QPixmap* cached = cardImages_.object(key)) {
        return cached;
    }
    const engine::RenameRecord& record = records_[index];
    const QRectF cell(QPointF(cardMargin, cardMargin) + offset, cellRect(index).size());
    // A keystroke changes what the texts mark and nothing else, so cards at rest or found by a
    // search are drawn over a cached layer. Scrolling through a list draws each card once: a
    // second layer would only cost.
    const bool layered = !query_.isEmpty() || !scrollPause_.isActive();
    auto* pixmap =
        new QPixmap(layered ? baseImage(index, image, dpr, offset) : blankCard(cell.size(), dpr));
    QPainter card(pixmap);
    card.setRenderHint(QPainter::Antialiasing);
    card.setRenderHint(QPainter::SmoothPixmapTransform);
    if (layered) {
        ShotCard::paintTexts(card, cell, record, query_, textLine(record.id));
    } else {
        ShotCard::paint(card, cell, record, query_, 0, image, textLine(record.id));
    }
    card.end();
    const int cost = std::max(1, pixmap->width() * pixmap->height() * 4 / 1024);
    // Room for two screens of cards at any pixel ratio.
    cardImages_.setMaxCost(static_cast<qsizetype>(16 * 1024 * dpr * dpr));
    // A card larger than the whole cache is not kept (QCache deletes it).
    return cardImages_.insert(key, pixmap, cost) ? pixmap : nullptr;
}

void CardGrid::paintCard(QPainter& painter, int index) {
    const engine::RenameRecord& record = records_[index];
    const QRectF cell = viewRect(index);
    const QImage image = thumbnailFor(record);
    const qreal hover = hoverProgress(record.id);
    if (hover > 0) {
        ShotCard::paint(painter, cell, record, query_, hover, image, textLine(record.id));
        return;
    }
    const qreal dpr = painter.device()->devicePixelRatioF();
    const Placement place = placement(index, dpr);
    if (QPixmap* pixmap = cardImage(index, image, dpr, place.offset)) {
        // Smoothing a copy at whole pixels changes nothing and takes Qt's slow path.
        const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawPixmap(place.topLeft, *pixmap);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    } else {
        ShotCard::paint(painter, cell, record, query_, 0, image, textLine(record.id));
    }
}

void CardGrid::prepareSoon(int index) {
    if (std::find(pending_.begin(), pending_.end(), index) == pending_.end()) {
        pending_.push_back(index);
    }
    if (pending_.size() == 1) {
        QTimer::singleShot(0, this, &CardGrid::prepareNext);
    }
}

void CardGrid::prepareNext() {
    if (pending_.empty()) {
        return;
    }
    const int index = pending_.front();
    pending_.erase(pending_.begin());
    if (index < static_cast<int>(records_.size())) {
        const qreal dpr = devicePixelRatioF();
        cardImage(index, thumbnailFor(records_[index]), dpr, placement(index, dpr).offset);
    }
    if (!pending_.empty()) {
        QTimer::singleShot(0, this, &CardGrid::prepareNext);
    }
}

void CardGrid::paintCards(QPainter& painter, const QRect& area) {
    if (records_.empty()) {
        return;
    }
    const int columns = layoutFor(viewport()->width()).columns;
    const qreal top = area.top() + verticalScrollBar()->value() - topPadding;
    const int firstRow = std::max(0, static_cast<int>(std::floor(top / rowHeight())));
    const int lastRow = static_cast<int>(std::floor((top + area.height()) / rowHeight()));
    const int count = static_cast<int>(records_.size());
    const int last = std::min(count - 1, (lastRow + 1) * columns - 1);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // The hovered card last, so its lift and shadow lie over its neighbours.
    int lifted = -1;
    for (int i = firstRow * columns; i <= last; ++i) {
        if (records_[i].id == hoveredId_) {
            lifted = i;
            continue;
        }
        paintCard(painter, i);
    }
    if (lifted >= 0) {
        paintCard(painter, lifted);
    }
    if (const int current = currentIndex(); current >= 0 && FocusRing::isShown(this)) {
        FocusRing::paint(painter, ShotCard::boxRect(viewRect(current)), 16,
                         ShotCard::seed(records_[current].id), 3);
    }
    // The rows just outside are drawn between frames, so scrolling finds them ready.
    const qreal dpr = painter.device()->devicePixelRatioF();
    for (int i : {firstRow * columns - columns, (lastRow + 1) * columns}) {
        for (int j = std::max(0, i); j < std::min(count, i + columns); ++j) {
            if (!cardImages_.contains(
                    cardKey(j, thumbnailFor(records_[j]), dpr, placement(j, dpr).offset))) {
                prepareSoon(j);
            }
        }
    }
    // Whatever scrolled away before its decode began is not decoded at all. Measured on the
    // whole viewport, since a paint may cover only part of it.
    const qreal viewTop = verticalScrollBar()->value() - topPadding;
    const int shownFirst = std::max(0, static_cast<int>(std::floor(viewTop / rowHeight())) - 1);
    const int shownLast =
        static_cast<int>(std::floor((viewTop + viewport()->height()) / rowHeight())) + 1;
    withdrawOutside(shownFirst * columns, (shownLast + 1) * columns - 1);
}

void CardGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    paintCards(painter, event->rect());
}

void CardGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void CardGrid::updateScrollRange() {
    const int range =
        std::max(0, static_cast<int>(std::ceil(contentHeight())) - viewport()->height());
    verticalScrollBar()->setRange(0, range);
    verticalScrollBar()->setPageStep(viewport()->height());
}

void CardGrid::scrollContentsBy(int, int) {
    const int index = cardAt(viewport()->mapFromGlobal(QCursor::pos()));
    setHovered(index >= 0 ? records_[index].id : std::string());
    viewport()->update();
}

void CardGrid::mouseMoveEvent(QMouseEvent* event) {
    const int index = cardAt(event->position().toPoint());
    setHovered(index >= 0 ? records_[index].id : std::string());
    viewport()->setCursor(buttonAt(index, event->position().toPoint()) >= 0 ? Qt::PointingHandCursor
                                                                            : Qt::ArrowCursor);
}

void CardGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const int index = cardAt(event->position().toPoint());
    const int button = buttonAt(index, event->position().toPoint());
    if (index >= 0) {
        currentId_ = records_[index].id;
    }
    if (button >= 0) {
        trigger(index, button);
    }
}

void CardGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = cardAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0 &&
        buttonAt(index, event->position().toPoint()) < 0) {
        openCard(records_[index].id);
    }
}

int CardGrid::indexOf(const std::string& id) const {
    const auto found = std::find_if(records_.begin(), records_.end(),
                                    [&](const engine::RenameRecord& r) { return r.id == id; });
    return found == records_.end() ? -1 : static_cast<int>(found - records_.begin());
}

void CardGrid::openCard(const std::string& id) {
    if (const auto record = model_.record(id)) {
        opener_(RecordPresentation::presentPath(*record));
    }
}

void CardGrid::run(const std::string& id, RecordPresentation::Action action) {
    switch (action) {
    case RecordPresentation::Action::open:
        openCard(id);
        break;
    case RecordPresentation::Action::rename:
        startRenaming(id);
        break;
    default:
        RecordPresentation::perform(model_, id, action);
        break;
    }
}

void CardGrid::trigger(int index, int button) {
    const engine::RenameRecord& record = records_.at(index);
    run(record.id, RecordPresentation::hoverActions(record).at(button).action);
}

void CardGrid::startRenaming(const std::string& id) {
    // The card may have moved or gone since the action was chosen.
    const int index = indexOf(id);
    if (index < 0) {
        return;
    }
    const engine::RenameRecord& record = records_[index];
    if (popover_) {
        popover_->close();
    }
    popover_ = new RenamePopover(record.id, RecordPresentation::stemOf(record.currentName), this);
    connect(popover_, &RenamePopover::saved, this, [this, id](const QString& draft) {
        if (const auto now = model_.record(id)) {
            model_.correct(*now, draft);
        }
    });
    const QRect cell = ShotCard::boxRect(viewRect(index)).toAlignedRect();
    popover_->showNear(QRect(viewport()->mapToGlobal(cell.topLeft()), cell.size()));
}

void CardGrid::showContextMenu(int index, const QPoint& globalPos) {
    const engine::RenameRecord& record = records_.at(index);
    currentId_ = record.id;
    QMenu menu(this);
    RecordPresentation::fillMenu(
        menu, record, RecordPresentation::Place::card,
        [this, id = record.id](RecordPresentation::Action action) { run(id, action); });
    menuRunner_(menu, globalPos);
}

void CardGrid::showMenuAtCard(int index) {
    ensureVisible(index);
    const QRectF box = ShotCard::boxRect(viewRect(index));
    showContextMenu(index, viewport()->mapToGlobal(box.center().toPoint()));
}

bool CardGrid::showAccessibleItemMenu(int index) {
    if (index < 0 || index >= static_cast<int>(records_.size())) {
        return false;
    }
    showMenuAtCard(index);
    return true;
}

int CardGrid::currentIndex() const {
    for (std::size_t i = 0; i < records_.size(); ++i) {
        if (records_[i].id == currentId_) {
            return static_cast<int>(i);
        }
    }
    return records_.empty() ? -1 : 0;
}

void CardGrid::setCurrentIndex(int index) {
    if (index >= 0 && index < static_cast<int>(records_.size())) {
        currentId_ = records_[index].id;
        viewport()->update();
    }
}

void CardGrid::ensureVisible(int index) {
    const QRectF cell = cellRect(index);
    QScrollBar* bar = verticalScrollBar();
    const int height = viewport()->height();
    if (cell.top() - topPadding < bar->value()) {
        bar->setValue(static_cast<int>(std::floor(cell.top() - topPadding)));
    } else if (cell.bottom() + CardGrid::spacing > bar->value() + height) {
        bar->setValue(static_cast<int>(std::ceil(cell.bottom() + CardGrid::spacing - height)));
    }
}

int CardGrid::rowsPerPage() const {
    return std::max(1, static_cast<int>(viewport()->height() / rowHeight()));
}

void CardGrid::moveCurrent(int index) {
    if (records_.empty()) {
        return;
    }
    index = std::clamp(index, 0, static_cast<int>(records_.size()) - 1);
    setCurrentIndex(index);
    ensureVisible(index);
    FocusRing::showFor(this);
    viewport()->update();
    Accessibility::itemFocused(this, index);
}

void CardGrid::keyPressEvent(QKeyEvent* event) {
    const int current = currentIndex();
    if (current < 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int columns = layoutFor(viewport()->width()).columns;
    // A copy: an action may replace the list before this returns.
    const engine::RenameRecord record = records_[current];
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->matches(QKeySequence::Undo) || event->key() == Qt::Key_Delete) {
        if (!record.undone) {
            run(record.id, RecordPresentation::Action::undo);
        }
    } else if (event->key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
        showMenuAtCard(current);
    } else if (modifiers != Qt::NoModifier) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    } else {
        switch (event->key()) {
        case Qt::Key_Left:
            moveCurrent(current - 1);
            break;
        case Qt::Key_Right:
            moveCurrent(current + 1);
            break;
        case Qt::Key_Up:
            moveCurrent(current - columns);
            break;
        case Qt::Key_Down:
            moveCurrent(current + columns);
            break;
        case Qt::Key_Home:
            moveCurrent(0);
            break;
        case Qt::Key_End:
            moveCurrent(static_cast<int>(records_.size()) - 1);
            break;
        case Qt::Key_PageUp:
            moveCurrent(current - rowsPerPage() * columns);
            break;
        case Qt::Key_PageDown:
            moveCurrent(current + rowsPerPage() * columns);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            openCard(record.id);
            break;
        case Qt::Key_F2:
            if (!record.undone) {
                startRenaming(record.id);
            }
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    }
    event->accept();
}

QString CardGrid::accessibleItemName(int index) const {
    return RecordDescription::name(records_.at(index));
}

QString CardGrid::accessibleItemDescription(int index) const {
    return RecordDescription::details(records_.at(index));
}

QRect CardGrid::accessibleItemRect(int index) const {
    const QRect box = ShotCard::boxRect(viewRect(index)).toAlignedRect();
    return box.translated(viewport()->pos());
}

void CardGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        // The menu key means the card the keyboard is on, not whatever lies under the middle.
        if (const int current = currentIndex(); current >= 0) {
            showMenuAtCard(current);
        }
        return;
    }
    const int index = cardAt(event->pos());
    if (index >= 0) {
        showContextMenu(index, event->globalPos());
    }
}

bool CardGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = cardAt(help->pos());
        const int button = buttonAt(index, help->pos());
        if (button >= 0) {
            QToolTip::showText(help->globalPos(),
                               RecordPresentation::hoverActions(records_[index]).at(button).label,
                               viewport());
        } else if (index >= 0 && ShotCard::sourceMarkRect(viewRect(index))
                                     .adjusted(-2, -2, 2, 2)
                                     .contains(help->pos())) {
            QToolTip::showText(help->globalPos(),
                               RecordPresentation::sourceTooltip(records_[index].source),
                               viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    if (event->type() == QEvent::Leave) {
        setHovered({});
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace ui

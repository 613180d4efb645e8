#include "panel/PanelView.h"

#include "AppModel.h"
#include "look/CrayonButton.h"
#include "look/Ink.h"
#include "look/Paper.h"
#include "panel/AutoNameSection.h"
#include "panel/BoxedSection.h"
#include "panel/DropTarget.h"
#include "panel/FollowFocus.h"
#include "panel/MessageBanner.h"
#include "panel/PanelFooter.h"
#include "panel/PanelHeader.h"
#include "panel/RecentList.h"
#include "panel/SlimScrollBar.h"
#include "panel/SpillItem.h"
#include "panel/TextButton.h"
#include "settings/SettingsView.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>

namespace ui {

namespace {

constexpr int padding = 18;
constexpr int spacing = 14;
// Room beside the settings cards for their outline and shadow.
constexpr int cardSpill = 8;

} // namespace

PanelView::PanelView(app::AppModel& model, bool showSettings, QWidget* parent)
    : QWidget(parent), model_(model), header_(new PanelHeader(model, this)),
      home_(new QWidget(this)), autoName_(new AutoNameSection(model, home_)),
      drop_(new DropTarget(model, home_)), banner_(new MessageBanner(model, home_)),
      recent_(new RecentList(model, home_)), footer_(new PanelFooter(this)) {
    BoxedSection::markAsHost(this);
    setFixedWidth(panelWidth);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Ink::ink());
    palette.setColor(QPalette::Highlight, Ink::orange());
    setPalette(palette);

    auto* homeLayout = new QVBoxLayout(home_);
    homeLayout->setContentsMargins(0, 0, 0, 0);
    homeLayout->setSpacing(spacing);
    homeLayout->addWidget(autoName_);
    homeLayout->addWidget(drop_);
    homeLayout->addWidget(banner_);
    homeLayout->addWidget(recent_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(padding, padding, padding, padding);
    layout->setSpacing(spacing);
    layout->addWidget(header_);
    layout->addWidget(home_);
    layout->addWidget(footer_);

    connect(footer_->settingsButton(), &QAbstractButton::clicked, this,
            [this] { setShowSettings(!showSettings_); });
    connect(footer_->dashboardButton(), &QAbstractButton::clicked, this,
            &PanelView::openDashboardRequested);
    connect(footer_->quitButton(), &QAbstractButton::clicked, this, &PanelView::quitRequested);
    addShortcuts();
    connectModel();
    setShowSettings(showSettings);
}

void PanelView::setShowSettings(bool show) {
    showSettings_ = show;
    if (show && settings_ == nullptr) {
        makeSettings();
    }
    home_->setVisible(!show);
    if (settingsScroll_ != nullptr) {
        settingsScroll_->setVisible(show);
        fitSettings();
    }
    footer_->setSettingsShown(show);
    relayout();
}

void PanelView::makeSettings() {
    settings_ = new SettingsView(model_);
    settings_->setUpdater(updater_);
    // In a scroll view the page draws its own cards: the panel cannot clip them to the view.
    BoxedSection::markAsHost(settings_);
    settings_->setContentsMargins(cardSpill, 0, cardSpill, 0);
    settingsScroll_ = new QScrollArea(this);
    settingsScroll_->setFrameShape(QFrame::NoFrame);
    settingsScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    settingsScroll_->setWidgetResizable(true);
    // Tab goes into the settings, and the view follows the focus.
    settingsScroll_->setFocusPolicy(Qt::NoFocus);
    FollowFocus::apply(settingsScroll_);
    settingsScroll_->setAutoFillBackground(false);
    settingsScroll_->viewport()->setAutoFillBackground(false);
    SlimScrollBar::apply(settingsScroll_);
    settingsScroll_->setWidget(settings_);
    // The scroll view gives its page a background; the paper shows through instead.
    settings_->setAutoFillBackground(false);
    settings_->installEventFilter(this);
    connect(settings_, &SettingsView::contentChanged, this, [this] {
        fitSettings();
        relayout();
    });
    // The view reaches into the panel's padding so the cards' outlines and shadows are not cut.
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertItem(layout->indexOf(home_) + 1,
                       new SpillItem(settingsScroll_, QMargins(cardSpill, 0, cardSpill, 0)));
    keepFooterLast();
    connect(settings_, &SettingsView::contentChanged, this, &PanelView::keepFooterLast);
}

void PanelView::keepFooterLast() {
    // The settings are made after the footer; Tab should still reach them first, as they read.
    QWidget* last = nullptr;
    for (QWidget* widget = settings_->nextInFocusChain(); widget != settings_;
         widget = widget->nextInFocusChain()) {
        if (settings_->isAncestorOf(widget)) {
            last = widget;
        }
    }
    if (last == nullptr) {
        return;
    }
    QWidget::setTabOrder(last, footer_->settingsButton());
    QWidget::setTabOrder(footer_->settingsButton(), footer_->dashboardButton());
    QWidget::setTabOrder(footer_->dashboardButton(), footer_->quitButton());
}

void PanelView::setHeightLimit(std::optional<int> limit) {
    heightLimit_ = limit;
    fitSettings();
    relayout();
}

std::optional<int> PanelView::effectiveHeightLimit() const {
    if (heightLimit_) {
        return heightLimit_;
    }
    if (QGuiApplication::platformName() == QLatin1String("offscreen") || screen() == nullptr) {
        return std::nullopt;
    }
    return screen()->availableGeometry().height();
}

void PanelView::fitSettings() {
    if (settingsScroll_ == nullptr) {
        return;
    }
    const int pageWidth = panelWidth - 2 * padding + 2 * cardSpill;
    int height = settings_->heightForWidth(pageWidth);
    if (const auto limit = effectiveHeightLimit()) {
        const int rest =
            header_->sizeHint().height() + footer_->sizeHint().height() + 2 * padding + 2 * spacing;
        // Never less than a card or two, however small the screen.
        height = std::min(height, std::max(200, *limit - rest));
    }
    settingsScroll_->setFixedHeight(height);
}

bool PanelView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == settings_ && event->type() == QEvent::LayoutRequest) {
        fitSettings();
    }
    return QWidget::eventFilter(watched, event);
}

void PanelView::setUpdater(app::Updater* updater) {
    updater_ = updater;
    if (settings_ != nullptr) {
        settings_->setUpdater(updater);
    }
}

void PanelView::relayout() {
    // Before the panel was first shown Qt does not pass size changes up by itself, and the
    // snapshot measures a panel that was never shown.
    for (QWidget* child : findChildren<QWidget*>()) {
        child->updateGeometry();
    }
    for (QLayout* inner : findChildren<QLayout*>()) {
        inner->invalidate();
    }
    layout()->invalidate();
    updateGeometry();
    update();
}

QSize PanelView::sizeHint() const {
    QLayout* layout = this->layout();
    const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(panelWidth)
                                                   : layout->totalSizeHint().height();
    return {panelWidth, height};
}

void PanelView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    Paper::fill(painter, QRectF(rect()));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    BoxedSection::paintBoxes(painter, this);
    if (!isWindow() && window()->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        // Without a frame the panel needs an edge of its own against paper-coloured windows.
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Ink::mix(Ink::ink(), Ink::paper(), 0.35), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
    }
}

void PanelView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The screen may have changed since the last time.
    fitSettings();
    if (!event->spontaneous()) {
        refreshOnAppearance();
    }
}

void PanelView::refreshOnAppearance() {
    // The badge tells the engine as it is now, and the list shows no vanished file.
    model_.refreshEngine();
    model_.pruneMissing();
}

void PanelView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        emit dismissRequested();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PanelView::addShortcuts() {
    // The undo works in both modes of the middle: the shortcut belongs to the whole panel.
    auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    undo->setContext(Qt::WindowShortcut);
    connect(undo, &QShortcut::activated, this, [this] { model_.undoLast(); });

    auto* dashboard = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    dashboard->setContext(Qt::WindowShortcut);
    connect(dashboard, &QShortcut::activated, this, &PanelView::openDashboardRequested);

    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, &PanelView::quitRequested);
}

void PanelView::connectModel() {
    const auto header = [this] {
        header_->refresh();
        relayout();
    };
    const auto banner = [this] {
        banner_->refresh();
        relayout();
    };
    connect(&model_, &app::AppModel::engineChanged, this, header);
    connect(&model_, &app::AppModel::queuedChanged, this, header);
    connect(&model_, &app::AppModel::autoNameChanged, autoName_, &AutoNameSection::refresh);
    connect(&model_, &app::AppModel::messageChanged, this, banner);
    connect(&model_, &app::AppModel::lastUndoneIDChanged, this, banner);
    connect(&model_, &app::AppModel::historyChanged, this, [this] {
        recent_->refresh();
        banner_->refresh();
        relayout();
    });
}

} // namespace ui

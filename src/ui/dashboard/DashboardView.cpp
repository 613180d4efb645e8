#include "dashboard/DashboardView.h"

#include "AppModel.h"
#include "TextIndexKeeper.h"
#include "dashboard/CardGrid.h"
#include "dashboard/DashboardToast.h"
#include "dashboard/DropHighlight.h"
#include "dashboard/EmptyState.h"
#include "dashboard/SearchBox.h"
#include "dashboard/Sidebar.h"
#include "dashboard/StatsRow.h"
#include "dashboard/TopBar.h"
#include "look/CrayonButton.h"
#include "look/Paper.h"
#include "panel/DropTarget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace ui {

DashboardView::DashboardView(app::AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), clock_([] { return app::DashboardModel::Clock::now(); }),
      sidebar_(new Sidebar(model, this)), topBar_(new TopBar(this)), stats_(new StatsRow(this)),
      area_(new QStackedWidget(this)), grid_(new CardGrid(model, area_)),
      empty_(new EmptyState(area_)), toast_(new DashboardToast(model, this)),
      dropHighlight_(new DropHighlight(this)) {
    setWindowTitle(QStringLiteral("Quillmark"));
    // The big window people drag files to takes the same drops as the panel.
    setAcceptDrops(true);
    setObjectName(QStringLiteral("dashboard"));
    // The paper covers every pixel; clearing them first would be a second full fill.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(minimumWidth, minimumHeight);
    resize(defaultWidth, defaultHeight);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sidebar_);
    auto* column = new QVBoxLayout();
    column->setContentsMargins(26, 22, 26, 0);
    column->setSpacing(18);
    column->addWidget(topBar_);
    column->addWidget(stats_);
    area_->addWidget(grid_);
    area_->addWidget(empty_);
    column->addWidget(area_, 1);
    row->addLayout(column, 1);

    // Down the sidebar, then the search, then the cards.
    QWidget::setTabOrder(sidebar_->settingsButton(), sidebar_);
    QWidget::setTabOrder(sidebar_, sidebar_->tidyButton());
    QWidget::setTabOrder(sidebar_->tidyButton(), topBar_->searchBox()->field());
    QWidget::setTabOrder(topBar_->searchBox()->field(), grid_);

    connect(sidebar_, &Sidebar::scopeChosen, this, &DashboardView::setScope);
    connect(sidebar_, &Sidebar::settingsRequested, this, &DashboardView::settingsRequested);
    connect(topBar_->searchBox(), &SearchBox::queryChanged, this, &DashboardView::setQuery);
    auto* find = new QShortcut(QKeySequence(QStringLiteral("Ctrl+F")), this);
    find->setContext(Qt::WindowShortcut);
    connect(find, &QShortcut::activated, topBar_->searchBox(), &SearchBox::focusField);
    auto* quit = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this);
    quit->setContext(Qt::WindowShortcut);
    connect(quit, &QShortcut::activated, this, &DashboardView::quitRequested);

    for (auto signal : {&app::AppModel::historyChanged, &app::AppModel::extraFoldersChanged,
                        &app::AppModel::watchDownloadsChanged}) {
        connect(&model_, signal, this, &DashboardView::refresh);
    }
    connect(&model_.textIndex(), &app::TextIndexKeeper::textStored, this, [this] {
        if (!query_.isEmpty()) {
            refresh();
        }
    });
    refresh();
}

bool& DashboardView::requested() {
    static bool flag = false;
    return flag;
}

void DashboardView::setScope(const app::DashScope& scope) {
    scope_ = scope;
    sidebar_->setScope(scope);
    refresh();
}

void DashboardView::setQuery(const QString& query) {
    if (query == query_) {
        return;
    }
    query_ = query;
    if (topBar_->searchBox()->query() != query) {
        topBar_->searchBox()->field()->setText(query);
    }
    refresh();
}

void DashboardView::setClock(Clock clock) {
    clock_ = std::move(clock);
    refresh();
}

void DashboardView::setSettingsButtonVisible(bool visible) {
    sidebar_->setSettingsButtonVisible(visible);
}

app::DashboardModel DashboardView::dashboard() const {
    const std::size_t folders = 1 + model_.watchedExtraFolders().size();
    const std::string query = query_.toStdString();
    textLines_ = model_.textIndex().search(app::DashboardModel::trimmedQuery(query));
    return app::DashboardModel(
        {&model_.history(), model_.corrections().size(), folders, &textLines_}, scope_, query,
        clock_());
}

std::vector<engine::RenameRecord> DashboardView::records() const {
    return dashboard().records();
}

bool DashboardView::showsGrid() const {
    return area_->currentWidget() == grid_;
}

void DashboardView::refresh() {
    const app::DashboardModel model = dashboard();
    auto [shown, byName] = model.found();
    topBar_->setTexts(QString::fromStdString(model.title()),
                      QString::fromStdString(model.subtitle(shown.size())));
    stats_->setStatistics(model.statistics());
    sidebar_->refresh();
    const bool any = !shown.empty();
    std::unordered_map<std::string, QString> textLines;
    for (std::size_t i = byName; i < shown.size(); ++i) {
        textLines.emplace(shown[i].id, QString::fromStdString(textLines_.at(shown[i].id)));
    }
    grid_->setRecords(std::move(shown), query_, std::move(textLines));
    empty_->setState(query_, scope_);
    area_->setCurrentWidget(any ? static_cast<QWidget*>(grid_) : empty_);
}

void DashboardView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!requested()) {
        // Brought back without anyone asking (session restore): not wanted now.
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    requested() = false;
    model_.pruneMissing();
    refresh();
    emit opened();
}

void DashboardView::closeEvent(QCloseEvent* event) {
    toast_->expireNow();
    QWidget::closeEvent(event);
    // The next opening starts fresh.
    scope_ = app::DashScope::all();
    sidebar_->setScope(scope_);
    setQuery({});
    refresh();
    grid_->verticalScrollBar()->setValue(0);
    emit closed();
}

void DashboardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    toast_->place(rect());
    dropHighlight_->setGeometry(rect());
}

void DashboardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Paper::fill(painter, rect());
}

bool DashboardView::dropTargeted() const {
    return dropHighlight_->isVisible();
}

void DashboardView::dragEnterEvent(QDragEnterEvent* event) {
    if (DropTarget::localPaths(*event->mimeData()).empty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    dropHighlight_->setGeometry(rect());
    dropHighlight_->raise();
    dropHighlight_->show();
}

void DashboardView::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void DashboardView::dragLeaveEvent(QDragLeaveEvent* event) {
    dropHighlight_->hide();
    event->accept();
}

void DashboardView::dropEvent(QDropEvent* event) {
    dropHighlight_->hide();
    DropTarget::deliver(model_, *event);
}

} // namespace ui

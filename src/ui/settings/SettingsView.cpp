#include "settings/SettingsView.h"

#include "AppModel.h"
#include "look/CrayonButton.h"
#include "look/CrayonToggle.h"
#include "look/Fonts.h"
#include "look/Ink.h"
#include "look/Paper.h"
#include "naming/NamingStyle.h"
#include "panel/BoxedSection.h"
#include "panel/EngineBadge.h"
#include "panel/IconButton.h"
#include "panel/SpillItem.h"
#include "panel/ToggleRow.h"
#include "panel/WrappedText.h"
#include "settings/AboutRow.h"
#include "settings/FolderRow.h"
#include "settings/ModelChooserView.h"
#include "settings/SettingsCard.h"
#include "settings/StyleOption.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace ui {

namespace {

constexpr const char* exampleName = "dentist appointment reminder";

WrappedText* noteLabel(const QString& text, QWidget* parent) {
    return new WrappedText(text, Fonts::system(11), Ink::ink3(), parent);
}

ToggleRow* boldToggle(const QString& text, QWidget* parent) {
    return new ToggleRow({{{text, Fonts::system(12.5, QFont::Bold), Ink::ink()}}}, 0, parent);
}

} // namespace

SettingsView::SettingsView(app::AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    auto* page = new QVBoxLayout(this);
    // 4 of trailing room for the page and 3 more for each card's shadow.
    page->setContentsMargins(0, 0, 7, 0);
    page->setSpacing(14);

    auto* title = new QLabel(QStringLiteral("Settings"), this);
    title->setFont(Fonts::hand(24));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, Ink::ink());
    title->setPalette(palette);
    page->addWidget(title);
    page->addWidget(makeStyleCard());
    page->addWidget(makeWatchCard());
    page->addWidget(makeSwitchCard());
    page->addWidget(makeEngineCard());
    page->addWidget(makeAboutCard());
    page->addLayout(makeBottomRow());

    connectModel();
    refreshStyles();
    refreshFolders();
    refreshSwitches();
    refreshEngine();
    refreshHistoryButtons();
}

void SettingsView::setUpdater(app::Updater* updater) {
    about_->setUpdater(updater);
}

std::vector<FolderRow*> SettingsView::folderRows() const {
    std::vector<FolderRow*> rows;
    for (int i = 0; i < folders_->count(); ++i) {
        if (auto* row = qobject_cast<FolderRow*>(folders_->itemAt(i)->widget())) {
            rows.push_back(row);
        }
    }
    return rows;
}

QWidget* SettingsView::makeStyleCard() {
    auto* card = new SettingsCard(QStringLiteral("Name style"), 11, this);
    const auto date = engine::NamingStyle::exampleDate();
    for (const engine::NamingStyle& style : engine::NamingStyle::allCases()) {
        auto* option =
            new StyleOption(QString::fromStdString(style.apply(exampleName, date)), card);
        connect(option, &QAbstractButton::clicked, this, [this, style] { model_.setStyle(style); });
        card->content()->addWidget(option, 0, Qt::AlignLeft);
        styles_.push_back(option);
    }
    return card;
}

QWidget* SettingsView::makeWatchCard() {
    auto* card = new SettingsCard(QStringLiteral("Also watch"), 12, this);
    downloads_ = new ToggleRow(
        {{{QStringLiteral("Downloads"), Fonts::system(12.5, QFont::Bold), Ink::ink()},
          {QStringLiteral("  saved images, received photos"), Fonts::system(11), Ink::ink3()}}},
        0, card);
    card->content()->addWidget(downloads_);
    connect(downloads_, &ToggleRow::toggled, this,
            [this](bool on) { model_.setWatchDownloads(on); });

    folders_ = new QVBoxLayout;
    folders_->setContentsMargins(0, 0, 0, 0);
    folders_->setSpacing(8);
    card->content()->addLayout(folders_);

    addFolder_ =
        new CrayonButton(QStringLiteral("Add Folder\u2026"), CrayonButton::Kind::plain, true, card);
    SpillItem::addButton(card->content(), addFolder_, Qt::AlignLeft);
    connect(addFolder_, &QAbstractButton::clicked, this, [this] { model_.addWatchedFolder(); });

    card->content()->addWidget(noteLabel(
        QStringLiteral("Only images with vague names, like IMG_4471 or image (2), are renamed "
                       "there."),
        card));
    return card;
}

QWidget* SettingsView::makeSwitchCard() {
    auto* card = new SettingsCard(QString(), 13, this);
    login_ = boldToggle(QStringLiteral("Open at login"), card);
    notify_ = boldToggle(QStringLiteral("Notify me when files are named"), card);
    card->content()->addWidget(login_);
    card->content()->addWidget(notify_);
    connect(login_, &ToggleRow::toggled, this, [this](bool on) { model_.setLaunchAtLogin(on); });
    connect(notify_, &ToggleRow::toggled, this, [this](bool on) { model_.setNotify(on); });
    return card;
}

QWidget* SettingsView::makeEngineCard() {
    auto* card = new SettingsCard(QStringLiteral("Naming engine"), 14, this);
    engine_ = new EngineBadge(model_.engine(), card);
    card->content()->addWidget(engine_, 0, Qt::AlignLeft);
    reason_ = noteLabel(QString(), card);
    card->content()->addWidget(reason_);
    card->content()->addWidget(noteLabel(
        QStringLiteral("Everything happens on this computer. Nothing is uploaded."), card));
    chooser_ = new ModelChooserView(model_, card);
    card->content()->addWidget(chooser_);
    connect(chooser_, &ModelChooserView::contentChanged, this, &SettingsView::contentChanged);
    return card;
}

QWidget* SettingsView::makeAboutCard() {
    auto* card = new SettingsCard(QStringLiteral("About"), 16, this);
    about_ = new AboutRow(card);
    card->content()->addWidget(about_);
    return card;
}

QLayout* SettingsView::makeBottomRow() {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 6);
    row->setSpacing(8);
    undoAll_ = new CrayonButton(QStringLiteral("Undo Recent Renames"), CrayonButton::Kind::plain,
                                true, this);
    clearHistory_ =
        new CrayonButton(QStringLiteral("Clear History"), CrayonButton::Kind::plain, true, this);
    SpillItem::addButton(row, undoAll_);
    SpillItem::addButton(row, clearHistory_);
    row->addStretch(1);
    connect(undoAll_, &QAbstractButton::clicked, this, [this] { model_.undoAllVisible(); });
    connect(clearHistory_, &QAbstractButton::clicked, this, [this] { model_.clearHistory(); });
    return row;
}

void SettingsView::connectModel() {
    connect(&model_, &app::AppModel::styleChanged, this, &SettingsView::refreshStyles);
    connect(&model_, &app::AppModel::extraFoldersChanged, this, &SettingsView::refreshFolders);
    connect(&model_, &app::AppModel::watchDownloadsChanged, this, &SettingsView::refreshSwitches);
    connect(&model_, &app::AppModel::launchAtLoginChanged, this, &SettingsView::refreshSwitches);
    connect(&model_, &app::AppModel::notifyChanged, this, &SettingsView::refreshSwitches);
    connect(&model_, &app::AppModel::engineChanged, this, &SettingsView::refreshEngine);
    connect(&model_, &app::AppModel::historyChanged, this, &SettingsView::refreshHistoryButtons);
}

void SettingsView::refreshStyles() {
    const auto& cases = engine::NamingStyle::allCases();
    for (std::size_t i = 0; i < styles_.size(); ++i) {
        styles_[i]->setSelected(cases[i] == model_.style());
    }
}

void SettingsView::refreshFolders() {
    // A row may be the one whose button is being clicked: it goes once that click is done.
    while (QLayoutItem* item = folders_->takeAt(0)) {
        if (QWidget* row = item->widget()) {
            row->hide();
            row->deleteLater();
        }
        delete item;
    }
    for (const QString& folder : model_.extraFolders()) {
        auto* row = new FolderRow(folder, this);
        connect(row, &FolderRow::removeRequested, this,
                [this](const QString& path) { model_.removeWatchedFolder(path); });
        folders_->addWidget(row);
    }
    // New rows join the end of the focus chain: put them back between Downloads and the button.
    QWidget* previous = downloads_->toggle();
    for (FolderRow* row : folderRows()) {
        QWidget::setTabOrder(previous, row->removeButton());
        previous = row->removeButton();
    }
    QWidget::setTabOrder(previous, addFolder_);
    emit contentChanged();
}

void SettingsView::refreshSwitches() {
    downloads_->showChecked(model_.watchDownloads());
    login_->showChecked(model_.launchAtLogin());
    notify_->showChecked(model_.notify());
}

void SettingsView::refreshEngine() {
    const auto& engine = model_.engine();
    engine_->setEngine(engine);
    const bool showReason =
        engine.kind == engine::Namer::Engine::Kind::textOnly && !engine.reason.empty();
    reason_->setText(showReason ? QString::fromStdString(engine.reason) : QString());
    reason_->setVisible(showReason);
    emit contentChanged();
}

void SettingsView::refreshHistoryButtons() {
    undoAll_->setEnabled(!model_.activeRecords().empty());
    clearHistory_->setEnabled(!model_.history().empty());
}

void SettingsView::paintEvent(QPaintEvent*) {
    // Alone, the page draws its paper; inside the panel the panel does, and the page draws its
    // cards whenever it hosts them.
    QPainter painter(this);
    if (isWindow()) {
        Paper::fill(painter, QRectF(rect()));
    }
    BoxedSection::paintBoxes(painter, this);
}

} // namespace ui

#include "shell/PlaceholderPanel.h"

#include "AppModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace ui {

PlaceholderPanel::PlaceholderPanel(app::AppModel& model, bool showSettings, QWidget* parent)
    : QWidget(parent), showSettings_(showSettings) {
    auto* layout = new QVBoxLayout(this);
    auto* status = new QLabel(model.message().value_or(QStringLiteral("Quillmark")), this);
    status->setWordWrap(true);
    layout->addWidget(status);
    auto* dashboard = new QPushButton(QStringLiteral("Dashboard"), this);
    auto* quit = new QPushButton(QStringLiteral("Quit"), this);
    layout->addWidget(dashboard);
    layout->addWidget(quit);
    connect(dashboard, &QPushButton::clicked, this, &PlaceholderPanel::openDashboardRequested);
    connect(quit, &QPushButton::clicked, this, &PlaceholderPanel::quitRequested);
    // Ctrl+Q quits without asking, from anywhere in the panel's window.
    auto* quitKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quitKey->setContext(Qt::WindowShortcut);
    connect(quitKey, &QShortcut::activated, this, &PlaceholderPanel::quitRequested);
    connect(&model, &app::AppModel::messageChanged, status, [status, &model] {
        status->setText(model.message().value_or(QStringLiteral("Quillmark")));
    });
}

QSize PlaceholderPanel::sizeHint() const {
    return {372, showSettings_ ? 640 : 300};
}

void PlaceholderPanel::setShowSettings(bool show) {
    showSettings_ = show;
    updateGeometry();
}

void PlaceholderPanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit dismissRequested();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace ui

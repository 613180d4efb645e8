#pragma once

#include "access/ItemList.h"

#include "dashboard/DashScope.h"

#include <QRectF>
#include <QString>
#include <QWidget>

class QVariantAnimation;

#include <vector>

namespace app {
class AppModel;
}

namespace ui {

class CrayonButton;

// The dashboard's left column: the name, the scopes, one entry per folder, tidying and the
// privacy line.
class Sidebar : public QWidget, public ItemList {
    Q_OBJECT

public:
    struct Entry {
        QString title;
        QString icon;
        app::DashScope scope;
        std::optional<int> count;
        QRectF rect;
    };

    explicit Sidebar(app::AppModel& model, QWidget* parent = nullptr);

    void setScope(const app::DashScope& scope);
    const app::DashScope& scope() const { return scope_; }
    // Without a tray, a "Settings" button under the header opens the panel.
    void setSettingsButtonVisible(bool visible);
    // Rebuilds the entries from the model.
    void refresh();
    const std::vector<Entry>& entries() const { return entries_; }
    CrayonButton* tidyButton() const { return tidy_; }
    CrayonButton* settingsButton() const { return settings_; }
    // The entry the keyboard is on: up and down move it, Return or Space choose it.
    int currentEntry() const { return current_; }

    int accessibleItemCount() const override;
    QString accessibleItemName(int index) const override;
    QString accessibleItemDescription(int index) const override;
    QRect accessibleItemRect(int index) const override;
    bool accessibleItemSelected(int index) const override;
    int accessibleCurrentItem() const override { return current_; }
    void activateAccessibleItem(int index) override;

    static constexpr int width = 214;

signals:
    void scopeChosen(const app::DashScope& scope);
    void settingsRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void layoutEntries();
    QRectF tidyBox() const;
    qreal tidyBoxHeight() const;
    int entryAt(const QPointF& point) const;
    int selectedEntry() const;
    void choose(int index);
    void moveCurrent(int index);

    app::AppModel& model_;
    app::DashScope scope_;
    std::vector<Entry> entries_;
    std::vector<std::pair<QString, qreal>> labels_; // section labels and their baselines' tops
    CrayonButton* tidy_;
    CrayonButton* settings_;
    QVariantAnimation* selection_;
    app::DashScope previous_;
    qreal selectionProgress_ = 1;
    int current_ = 0;
};

} // namespace ui

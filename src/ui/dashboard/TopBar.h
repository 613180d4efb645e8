#pragma once

#include <QWidget>

namespace ui {

class SearchBox;

// Title and subtitle of the current scope, and the search box.
class TopBar : public QWidget {
    Q_OBJECT

public:
    explicit TopBar(QWidget* parent = nullptr);

    void setTexts(const QString& title, const QString& subtitle);
    QString title() const { return title_; }
    QString subtitle() const { return subtitle_; }
    SearchBox* searchBox() const { return search_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    QString subtitle_;
    SearchBox* search_;
};

} // namespace ui

#pragma once

#include <QWidget>

namespace ui {

class IconButton;

// One extra watched folder: its name (the full path as tooltip) and a button to stop watching.
class FolderRow : public QWidget {
    Q_OBJECT

public:
    explicit FolderRow(const QString& folder, QWidget* parent = nullptr);

    const QString& folder() const { return folder_; }
    QString name() const;
    IconButton* removeButton() const { return remove_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void removeRequested(const QString& folder);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString folder_;
    IconButton* remove_;
};

} // namespace ui

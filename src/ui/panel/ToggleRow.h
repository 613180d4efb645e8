#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <vector>

namespace ui {

class CrayonToggle;

// A switch with a label of one or more lines, each made of runs in their own font and colour.
// A click anywhere on the row flips the switch, as on a real label.
class ToggleRow : public QWidget {
    Q_OBJECT

public:
    struct Run {
        QString text;
        QFont font;
        QColor color;
    };
    using Line = std::vector<Run>;

    ToggleRow(std::vector<Line> lines, qreal lineSpacing, QWidget* parent = nullptr);

    CrayonToggle* toggle() const { return toggle_; }
    bool isChecked() const;
    // Sets the switch without emitting toggled (for values that come from the model).
    void showChecked(bool checked);
    void setLines(std::vector<Line> lines);
    // The label as plain text, lines joined by a line break.
    QString labelText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void toggled(bool checked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The label's lines at a width: a run that does not fit after another starts a new line.
    std::vector<Line> wrapped(qreal width) const;
    static qreal lineHeight(const Line& line);
    qreal labelHeight(const std::vector<Line>& lines) const;
    qreal labelWidth() const;

    // The lines as drawn at `paintedWidth_`, wrapped and shortened.
    const std::vector<Line>& paintedLines() const;

    std::vector<Line> lines_;
    mutable std::vector<Line> painted_;
    mutable int paintedWidth_ = -1;
    qreal lineSpacing_;
    CrayonToggle* toggle_;
};

} // namespace ui

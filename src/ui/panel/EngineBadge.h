#pragma once

#include "naming/Namer.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace ui {

// The small line under the name that tells which engine names files: a dot and a label,
// with the engine's explanation as tooltip.
class EngineBadge : public QWidget {
    Q_OBJECT

public:
    explicit EngineBadge(const engine::Namer::Engine& engine = {}, QWidget* parent = nullptr);

    const engine::Namer::Engine& engine() const { return engine_; }
    void setEngine(const engine::Namer::Engine& engine);

    static QString label(const engine::Namer::Engine& engine);
    static QColor dotColor(const engine::Namer::Engine& engine);
    static QString toolTipText(const engine::Namer::Engine& engine);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    engine::Namer::Engine engine_;
};

} // namespace ui

#pragma once

#include <QFont>
#include <QString>

namespace ui {

// The handwriting font loaded from one file. Fonts::hand() uses the bundled file; tests point it
// elsewhere to check the fallback.
class HandFont {
public:
    // Registers the file for this process. Without the file, a font of `family` installed on the
    // system counts as registered too.
    HandFont(const QString& filePath, const QString& family);

    bool registered() const { return registered_; }
    QString family() const { return family_; }
    QFont font(qreal size) const;

private:
    QString family_;
    bool registered_ = false;
};

} // namespace ui

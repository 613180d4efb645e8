#include "look/HandFont.h"

#include "look/Fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace ui {

HandFont::HandFont(const QString& filePath, const QString& family) : family_(family) {
    const int id = QFontDatabase::addApplicationFont(filePath);
    if (id >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty())
            family_ = families.first();
        registered_ = true;
        return;
    }
    // An installed copy of the same font serves as well. QFont always gives some font, so
    // check that the one matched is really this family.
    QFont probe(family_);
    probe.setPixelSize(12);
    probe.setBold(true);
    registered_ = QFontInfo(probe).family().compare(family_, Qt::CaseInsensitive) == 0;
}

QFont HandFont::font(qreal size) const {
    QFont font;
    if (registered_) {
        font = QFont(family_);
        font.setWeight(QFont::Bold);
        Fonts::setPixelSize(font, size);
    } else {
        font = Fonts::rounded(size * 0.86, QFont::Bold);
    }
    font.setLetterSpacing(QFont::AbsoluteSpacing, size * -0.03);
    return font;
}

} // namespace ui

#pragma once

#include <QString>

#include <vector>

namespace ui {

// Names that mix right-to-left words with dates and numbers: each number run is isolated as
// left-to-right and the whole name takes its direction from its first strong letter, so
// "2026-03-14 09-41-22" after Hebrew or Arabic keeps its written order instead of swapping
// its parts. Names without right-to-left letters come back unchanged.
class BidiText {
public:
    static bool hasRightToLeft(const QString& text);
    static QString isolated(const QString& text);
    // Like isolated(); `positions[i]` is where the text's character i landed (size + 1 entries).
    static QString isolated(const QString& text, std::vector<int>& positions);
};

} // namespace ui

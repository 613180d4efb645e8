#pragma once

#include "reading/TextLine.h"

#include <string_view>
#include <vector>

namespace engine {

// What a recognised line is on the screen, for choosing a name among the lines: tests that
// read the text alone and tests that also look at where the line stands and how it was read.
class LineRanking {
public:
    enum class Role {
        chrome,   // menu bar, toolbar, tabs, address or status bar, row of buttons: never a name
        unread,   // weakly read or not made of words: never a name
        footnote, // small type at the bottom edge, or a sentence cut at the end of a line
        body,
        caption, // set like a title: capitals, or capitalised words, and no full stop
        title,   // a window's title bar or a dialog's question
        heading, // larger type than the body text
    };

    // `bodySize` is the typical text size of the page; `aspect` its width over its height.
    static Role roleOf(std::string_view line, const TextLine& details, double bodySize,
                       double aspect, bool topmost);

    // Words of menus, toolbars, navigation and buttons make up most of the line.
    static bool isMenuOrButtonRow(std::string_view line);
    // A web address, a domain or a file path.
    static bool isAddressOrPath(std::string_view line);
    // Most of its words have letters in an order no language writes: "Aywosmthaant" is one.
    static bool isMostlyNonWords(std::string_view line);
    // All capitals, or every word of four letters or more capitalised; two to seven words and
    // no closing punctuation.
    static bool isSetLikeATitle(std::string_view line);
    // Ends in a word that a sentence goes on after: "Everyone is permitted to copy and".
    static bool endsMidSentence(std::string_view line);
    // Words spread out like menu entries or tabs, not set like a sentence.
    static bool isSpreadOut(const TextLine& details, double aspect);

    // The median text size of the words of the lines that have one; 0 when none has.
    static double bodySize(const std::vector<TextLine>& lines);

    static constexpr double headingRatio = 1.3;
    static constexpr double minimumConfidence = 60;
};

} // namespace engine

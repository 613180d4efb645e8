#include "look/BidiText.h"

namespace ui {

namespace {

constexpr char16_t leftToRightIsolate = 0x2066;
constexpr char16_t firstStrongIsolate = 0x2068;
constexpr char16_t popIsolate = 0x2069;

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Separators that belong to a date or time when digits stand on both sides.
bool joinsNumbers(QChar c) {
    return c == QLatin1Char('-') || c == QLatin1Char(':') || c == QLatin1Char('.') ||
           c == QLatin1Char('_') || c == QLatin1Char('/') || c == QLatin1Char(' ');
}

} // namespace

bool BidiText::hasRightToLeft(const QString& text) {
    for (const QChar c : text) {
        const QChar::Direction direction = c.direction();
        if (direction == QChar::DirR || direction == QChar::DirAL) {
            return true;
        }
    }
    return false;
}

QString BidiText::isolated(const QString& text) {
    std::vector<int> positions;
    return isolated(text, positions);
}

QString BidiText::isolated(const QString& text, std::vector<int>& positions) {
    const auto size = text.size();
    positions.resize(static_cast<std::size_t>(size) + 1);
    if (!hasRightToLeft(text)) {
        for (qsizetype i = 0; i <= size; ++i) {
            positions[static_cast<std::size_t>(i)] = static_cast<int>(i);
        }
        return text;
    }
    QString out;
    out.reserve(size + 8);
    out.append(QChar(firstStrongIsolate));
    qsizetype i = 0;
    while (i < size) {
        if (!isDigit(text[i])) {
            positions[static_cast<std::size_t>(i)] = static_cast<int>(out.size());
            out.append(text[i]);
            ++i;
            continue;
        }
        // The run ends at its last digit: a trailing separator stays outside.
        qsizetype end = i;
        for (qsizetype j = i; j < size && (isDigit(text[j]) || joinsNumbers(text[j])); ++j) {
            if (isDigit(text[j])) {
                end = j + 1;
            }
        }
        out.append(QChar(leftToRightIsolate));
        for (; i < end; ++i) {
            positions[static_cast<std::size_t>(i)] = static_cast<int>(out.size());
            out.append(text[i]);
        }
        out.append(QChar(popIsolate));
    }
    positions[static_cast<std::size_t>(size)] = static_cast<int>(out.size());
    out.append(QChar(popIsolate));
    return out;
}

} // namespace ui

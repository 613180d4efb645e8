#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Unicode rules on UTF-8 strings, all through ICU. Text rules count whole characters
// (extended grapheme clusters); character tests look at Unicode general categories.
namespace engine::Unicode {

bool isValidUtf8(std::string_view text);

// Decodes UTF-8 into scalars; invalid sequences become U+FFFD.
std::u32string scalars(std::string_view text);
std::string fromScalars(std::u32string_view text);
std::string fromScalar(char32_t scalar);

// Extended grapheme clusters, in order.
std::vector<std::string> characters(std::string_view text);
std::size_t characterCount(std::string_view text);
// The first `count` characters (all of them when there are fewer).
std::string prefixCharacters(std::string_view text, std::size_t count);

std::string toNfc(std::string_view text);
// Full case mappings without locale tailoring (root locale).
std::string toLower(std::string_view text);
std::string toUpper(std::string_view text);

// Scalar properties.
bool isLetter(char32_t c);          // general category L*
bool isNumber(char32_t c);          // general category N*
bool isWhitespace(char32_t c);      // White_Space property
bool isNewline(char32_t c);         // LF, VT, FF, CR, NEL, LS, PS
bool isControlOrFormat(char32_t c); // general category Cc or Cf

// Character (grapheme cluster) properties: a character is a letter or number when its first
// scalar is; upper and lower case follow the cluster's own case mappings.
bool isLetter(std::string_view character);
bool isNumber(std::string_view character);
bool isUppercase(std::string_view character);
bool isLowercase(std::string_view character);

// 0 to 15 for an ASCII hexadecimal digit, else -1.
int hexDigitValue(char c);

// Trims white space and line breaks at both ends.
std::string trimWhitespace(std::string_view text);

// Splits at `separator` (a single ASCII byte), dropping empty pieces.
std::vector<std::string> splitDroppingEmpty(std::string_view text, char separator);
std::string join(const std::vector<std::string>& pieces, std::string_view separator);

} // namespace engine::Unicode

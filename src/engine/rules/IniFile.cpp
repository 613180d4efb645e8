#include "rules/IniFile.h"

#include "files/RegularFile.h"
#include "unicode/Unicode.h"

#include <cstdint>

namespace engine {

namespace {

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void appendCodePoint(std::string& out, std::uint32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        c = 0xFFFD;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// "\x" escapes carry UTF-16 code units; a high surrogate waits for its partner.
class Utf16Sink {
public:
    explicit Utf16Sink(std::string& out) : out_(out) {}
    void unit(std::uint32_t u) {
        if (u >= 0xD800 && u <= 0xDBFF) {
            flush();
            high_ = u;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF && high_ != 0) {
            appendCodePoint(out_, 0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00));
            high_ = 0;
            return;
        }
        flush();
        appendCodePoint(out_, u);
    }
    void flush() {
        if (high_ != 0) {
            appendCodePoint(out_, 0xFFFD);
            high_ = 0;
        }
    }

private:
    std::string& out_;
    std::uint32_t high_ = 0;
};

char simpleEscape(char c) {
    switch (c) {
    case 'a':
        return '\a';
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    case 'v':
        return '\v';
    default:
        return c; // \" \' \? \\ and unknown escapes stand for the character itself
    }
}

// Unquotes and unescapes one QSettings value; stops at an unquoted ";" comment.
std::string unescapeQSettings(std::string_view raw) {
    std::string out;
    Utf16Sink sink(out);
    bool quoted = false;
    std::size_t pendingSpaces = 0; // unquoted white space is kept only between other text
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (!quoted && c == ';') {
            break;
        }
        if (!quoted && (c == ' ' || c == '\t')) {
            ++pendingSpaces;
            continue;
        }
        if (!out.empty() || quoted) {
            out.append(pendingSpaces, ' ');
        }
        pendingSpaces = 0;
        if (c == '"') {
            sink.flush();
            quoted = !quoted;
            continue;
        }
        if (c != '\\' || i + 1 == raw.size()) {
            sink.flush();
            out += c;
            continue;
        }
        const char e = raw[++i];
        if (e == 'x') {
            std::uint32_t unit = 0;
            while (i + 1 < raw.size() && Unicode::hexDigitValue(raw[i + 1]) >= 0 &&
                   unit <= 0xFFFF) {
                unit = unit * 16 + static_cast<std::uint32_t>(Unicode::hexDigitValue(raw[++i]));
            }
            sink.unit(unit);
        } else if (e >= '0' && e <= '7') {
            std::uint32_t unit = static_cast<std::uint32_t>(e - '0');
            while (i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '7' && unit <= 0xFFFF) {
                unit = unit * 8 + static_cast<std::uint32_t>(raw[++i] - '0');
            }
            sink.unit(unit);
        } else {
            sink.flush();
            out += simpleEscape(e);
        }
    }
    sink.flush();
    return out;
}

std::optional<std::string> qsettingsValue(std::string_view raw) {
    std::string text = unescapeQSettings(raw);
    if (text.starts_with("@@")) {
        return text.substr(1);
    }
    if (text == "@Invalid()") {
        return std::nullopt;
    }
    if (text.starts_with("@ByteArray(") && text.ends_with(")")) {
        return text.substr(11, text.size() - 12);
    }
    return text;
}

// "imageSaveLocation[$e]" -> "imageSaveLocation"
std::string_view plainKey(std::string_view key) {
    while (key.ends_with("]")) {
        const auto open = key.rfind('[');
        if (open == std::string_view::npos || key.substr(open + 1).find('$') != 0) {
            break;
        }
        key = trim(key.substr(0, open));
    }
    return key;
}

} // namespace

std::optional<IniFile> IniFile::load(const std::filesystem::path& file, Dialect dialect) {
    const auto text = RegularFile::read(file);
    if (!text) {
        return std::nullopt;
    }
    return parse(*text, dialect);
}

IniFile IniFile::parse(std::string_view text, Dialect dialect) {
    IniFile ini;
    std::string section = dialect == Dialect::qsettings ? "General" : "";
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const auto close = line.find(']');
            if (close != std::string_view::npos) {
                section = std::string(trim(line.substr(1, close - 1)));
            }
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        std::string_view key = trim(line.substr(0, equals));
        const std::string_view raw = trim(line.substr(equals + 1));
        if (dialect == Dialect::plain) {
            key = plainKey(key);
            ini.values_[{section, std::string(key)}] = std::string(raw);
        } else if (auto value = qsettingsValue(raw)) {
            ini.values_[{section, std::string(key)}] = *value;
        } else {
            ini.values_.erase({section, std::string(key)});
        }
    }
    return ini;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    auto it = values_.find(std::pair<std::string, std::string>(section, key));
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

} // namespace engine

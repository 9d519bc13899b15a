#include "core/TextLines.h"

namespace {
constexpr std::string_view utf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view littleEndianMark = "\xFF\xFE";
constexpr std::string_view bigEndianMark = "\xFE\xFF";
constexpr char32_t replacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t code) {
    const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
    if (code < 0x80) {
        out += byte(code);
    } else if (code < 0x800) {
        out += byte(0xC0 | (code >> 6U));
        out += byte(0x80 | (code & 0x3FU));
    } else if (code < 0x10000) {
        out += byte(0xE0 | (code >> 12U));
        out += byte(0x80 | ((code >> 6U) & 0x3FU));
        out += byte(0x80 | (code & 0x3FU));
    } else {
        out += byte(0xF0 | (code >> 18U));
        out += byte(0x80 | ((code >> 12U) & 0x3FU));
        out += byte(0x80 | ((code >> 6U) & 0x3FU));
        out += byte(0x80 | (code & 0x3FU));
    }
}

bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit < 0xDC00;
}

bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit < 0xE000;
}

// UTF-16 code units (after the mark) as UTF-8.
std::string fromUtf16(std::string_view units, bool bigEndian) {
    const auto unitAt = [&](size_t i) {
        const auto first = static_cast<unsigned char>(units[i]);
        const auto second = static_cast<unsigned char>(units[i + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8U) | second : (second << 8U) | first);
    };
    std::string out;
    out.reserve(units.size());
    size_t i = 0;
    for (; i + 1 < units.size(); i += 2) {
        char32_t code = unitAt(i);
        if (isHighSurrogate(code) && i + 3 < units.size() && isLowSurrogate(unitAt(i + 2))) {
            code = 0x10000 + ((code - 0xD800) << 10U) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        } else if (isHighSurrogate(code) || isLowSurrogate(code)) {
            code = replacement;
        }
        appendUtf8(out, code);
    }
    if (i < units.size()) {
        appendUtf8(out, replacement);
    }
    return out;
}
} // namespace

std::vector<std::string_view> splitLines(std::string_view text, size_t maxLines) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size() && lines.size() < maxLines) {
        const size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string_view textOf(std::string_view bytes, std::string& converted) {
    const auto startsWith = [bytes](std::string_view mark) {
        return bytes.substr(0, mark.size()) == mark;
    };
    if (startsWith(utf8Mark)) {
        return bytes.substr(utf8Mark.size());
    }
    const bool little = startsWith(littleEndianMark);
    if (!little && !startsWith(bigEndianMark)) {
        return bytes;
    }
    converted = fromUtf16(bytes.substr(2), !little);
    return converted;
}

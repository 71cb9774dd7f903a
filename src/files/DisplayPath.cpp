#include "files/DisplayPath.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace orvalis {

namespace {

constexpr std::string_view kCutMark = "...";

// A code point and the bytes of its UTF-8 form; Length 0 where no valid form starts.
struct Decoded {
    char32_t Code = 0;
    std::size_t Length = 0;
};

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0) == 0x80; }

// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
Decoded DecodeUtf8(std::string_view text, std::size_t at) {
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t lead = byteAt(0);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    std::uint8_t low = 0x80;  // the range the second byte must lie in
    std::uint8_t high = 0xBF;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {};
    }
    if (text.size() - at < length || byteAt(1) < low || byteAt(1) > high) return {};
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byteAt(i))) return {};
        code = code << 6 | (byteAt(i) & 0x3F);
    }
    return {code, length};
}

// Characters that show nothing, or change how the text around them is shown.
bool IsInvisible(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) ||                    // C1 controls
           c == 0xAD || c == 0x034F || c == 0x061C ||     // soft hyphen, grapheme joiner, ALM
           c == 0x115F || c == 0x1160 || c == 0x3164 ||   // Hangul fillers
           c == 0x180E ||                                 // Mongolian vowel separator
           (c >= 0x200B && c <= 0x200F) ||                // zero widths, LRM, RLM
           (c >= 0x2028 && c <= 0x202E) ||                // line breaks, embeddings
           (c >= 0x2060 && c <= 0x206F) ||                // joiners, isolates
           c == 0xFEFF ||                                 // byte-order mark
           (c >= 0xFFF9 && c <= 0xFFFB) ||                // annotation marks
           (c >= 0xE0000 && c <= 0xE007F);                // tags
}

void AppendFormatted(std::string& out, const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

// Appends the visible form of the character at text[at]; returns its length in bytes.
std::size_t AppendVisible(std::string_view text, std::size_t at, std::string& out) {
    const Decoded decoded = DecodeUtf8(text, at);
    if (decoded.Length == 0) {
        AppendFormatted(out, "\\x%02X", static_cast<std::uint8_t>(text[at]));
        return 1;
    }
    const char32_t c = decoded.Code;
    if (c == '\t') {
        out += "\\t";
    } else if (c == '\r') {
        out += "\\r";
    } else if (c == '\n') {
        out += "\\n";
    } else if (c < 0x20 || c == 0x7F) {
        AppendFormatted(out, "\\x%02X", static_cast<unsigned>(c));
    } else if (IsInvisible(c)) {
        AppendFormatted(out, "<U+%04X>", static_cast<unsigned>(c));
    } else {
        out.append(text.substr(at, decoded.Length));
    }
    return decoded.Length;
}

// An invalid byte counts as one character of its own, as AppendVisible shows it.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
    const std::size_t length = DecodeUtf8(text, at).Length;
    return length == 0 ? 1 : length;
}

// The byte offset `count` characters on from `from`.
std::size_t SkipCharacters(std::string_view text, std::size_t from, std::size_t count) {
    for (; count > 0 && from < text.size(); --count) from += CharacterLength(text, from);
    return from;
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) at += CharacterLength(text, at);
    return count;
}

void AppendVisibleRange(std::string_view text, std::size_t from, std::size_t to, std::string& out) {
    while (from < to) from += AppendVisible(text, from, out);
}

}  // namespace

std::string DisplayPath(const std::string& path) {
    std::string shown;
    const std::size_t characters = CountCharacters(path);
    if (characters <= kLongestDisplayedPath) {
        AppendVisibleRange(path, 0, path.size(), shown);
        return shown;
    }
    // Characters, not bytes, so that no escape and no UTF-8 form is cut.
    const std::size_t kept = kLongestDisplayedPath / 2;
    const std::size_t headEnd = SkipCharacters(path, 0, kept);
    const std::size_t tailStart = SkipCharacters(path, headEnd, characters - 2 * kept);
    AppendVisibleRange(path, 0, headEnd, shown);
    shown += kCutMark;
    AppendVisibleRange(path, tailStart, path.size(), shown);
    return shown;
}

}  // namespace orvalis

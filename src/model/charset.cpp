#include "model/charset.h"

#include "model/line.h"

namespace vorelux {

namespace {
constexpr int AsciiEnd = 127;       // bytes below it stand for themselves
constexpr int UpperHalfStart = 128; // the accented letters and signs
constexpr int UpperHalfSize = 64;
constexpr uint8_t Space = 32;
} // namespace

const std::array<char16_t, PanelCharacterCount> PanelCharset = [] {
    std::array<char16_t, PanelCharacterCount> table{};
    for (int i = 0; i < AsciiEnd; ++i) table[i] = char16_t(i); // controls, then ASCII
    table[AsciiEnd] = 0;
    const char16_t upper[UpperHalfSize] = {
        u'Ç', u'ü', u'é', u'â', u'ä', u'à', u'å', u'ç', u'ê', u'ë', u'è', u'ï', u'î',
        u'ì', u'Ä', u'Å', u'É', u'æ', u'Æ', u'ô', u'ö', u'ò', u'û', u'ù', u'ÿ', u'Ö',
        u'Ü', u'ø', 0,    u'Ø', u'×', u'ƒ', u'á', u'ù', u'ó', u'ú', u'ñ', u'Ñ', u'ª',
        u'º', 0,    u'®', u'Ó', u'Ô', u'Ò', u'õ', u'Õ', u'Ê', u'Ë', u'È', 0,    u'ã',
        u'Ã', u'Á', u'Â', u'À', u'©', u'Í', u'Î', u'Ï', u'Ì', u'Ú', u'Û', u'Ù'};
    for (int i = 0; i < UpperHalfSize; ++i) table[UpperHalfStart + i] = upper[i];
    return table;
}();

uint8_t toPanelCharacter(char16_t c, char16_t fallback) {
    for (int i = 0; i < PanelCharacterCount; ++i)
        if (PanelCharset[i] == c) return uint8_t(i);
    if (fallback != 0) return uint8_t(fallback & 0xFF);
    return Space;
}

uint8_t convertPastedCharacter(char16_t c) {
    uint8_t b = toPanelCharacter(c, u' ');
    return b == DrawingEscape ? Space : b;
}

// The UTF-8 and UTF-16 codecs below speak in the encodings' own bit patterns
// and code point ranges, which read best as the numbers the standards give.
// NOLINTBEGIN(readability-magic-numbers)
std::u16string utf8ToUtf16(const std::string& text) {
    // Well-formed sequences only: no overlong forms, no encoded surrogates,
    // nothing past U+10FFFF. A broken sequence becomes one U+FFFD for the
    // bytes that started it well (a lone lead, a cut-off sequence) and
    // decoding goes on at the byte that broke it, so no character after it,
    // and above all no ASCII character, is lost.
    std::u16string out;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = byte(i);
        if (c < 0x80) {
            out += char16_t(c);
            ++i;
            continue;
        }
        size_t extra = 0;
        char32_t cp = 0;
        unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
            if (c == 0xE0) low = 0xA0;  // overlong below U+0800
            if (c == 0xED) high = 0x9F; // surrogates U+D800..U+DFFF
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
            if (c == 0xF0) low = 0x90;  // overlong below U+10000
            if (c == 0xF4) high = 0x8F; // past U+10FFFF
        } else {
            out += u'\uFFFD'; // a continuation byte or a byte never used in UTF-8
            ++i;
            continue;
        }
        size_t k = 1;
        for (; k <= extra && i + k < text.size(); ++k) {
            const unsigned char cc = byte(i + k);
            if (cc < (k == 1 ? low : 0x80) || cc > (k == 1 ? high : 0xBF)) break;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (k <= extra) { // cut off or broken: skip only the bytes read so far
            out += u'\uFFFD';
            i += k;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

std::string utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

// NOLINTEND(readability-magic-numbers)

} // namespace vorelux

#include "model/charset.h"

namespace vorelux {

const std::array<char16_t, 192> PanelCharset = [] {
    std::array<char16_t, 192> table{};
    for (int i = 0; i < 127; ++i) table[i] = char16_t(i); // controls, then ASCII
    table[127] = 0;
    const char16_t upper[64] = {u'Ç', u'ü', u'é', u'â', u'ä', u'à', u'å', u'ç', u'ê', u'ë', u'è',
                                u'ï', u'î', u'ì', u'Ä', u'Å', u'É', u'æ', u'Æ', u'ô', u'ö', u'ò',
                                u'û', u'ù', u'ÿ', u'Ö', u'Ü', u'ø', 0,    u'Ø', u'×', u'ƒ', u'á',
                                u'ù', u'ó', u'ú', u'ñ', u'Ñ', u'ª', u'º', 0,    u'®', u'Ó', u'Ô',
                                u'Ò', u'õ', u'Õ', u'Ê', u'Ë', u'È', 0,    u'ã', u'Ã', u'Á', u'Â',
                                u'À', u'©', u'Í', u'Î', u'Ï', u'Ì', u'Ú', u'Û', u'Ù'};
    for (int i = 0; i < 64; ++i) table[128 + i] = upper[i];
    return table;
}();

uint8_t ASCII_Vorelux_converter(char16_t c, char16_t char_default) {
    for (int i = 0; i < 192; ++i)
        if (PanelCharset[i] == c) return uint8_t(i);
    if (char_default != 0) return uint8_t(char_default & 0xFF);
    return 32;
}

uint8_t convertPastedCharacter(char16_t c) {
    uint8_t b = ASCII_Vorelux_converter(c, u' ');
    return b == 31 ? 32 : b;
}

std::u16string utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp;
        size_t extra;
        if (c < 0x80) {
            cp = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            extra = 3;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (i + extra >= text.size()) { // truncated sequence at the end
            out += u'\uFFFD';
            break;
        }
        bool ok = true;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
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

} // namespace vorelux

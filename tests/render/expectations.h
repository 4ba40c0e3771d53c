#pragma once
// Expected glyph widths and telling glyphs, written as the glyph tables are
// documented ("code: width; first..last: width"), parsed by the tests.
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vorelux::testdata {

inline const char* ThinWidths =
    "0: 6; 1..3: 7; 8..15: 8; 18..20: 8; 21..24: 1; 25..27: 8; 32: 5; 33: 2; 34: 4; 35..38: 6; "
    "39: 2; 40..41: 3; 42..43: 6; 44: 3; 45: 5; 46: 2; 47: 6; 48: 5; 49: 4; 50..57: 5; 58: 2; "
    "59: 3; 60: 4; 61: 5; 62: 4; 63..64: 6; 65..72: 5; 73: 2; 74..76: 5; 77: 6; 78..80: 5; 81: 6; "
    "82..83: 5; 84: 6; 85: 5; 86..90: 6; 91: 3; 92: 6; 93: 3; 94: 4; 95: 5; 96: 3; 97..98: 5; "
    "99: 4; 100..104: 5; 105: 2; 106..107: 5; 108: 2; 109: 6; 110..115: 5; 116: 4; 117: 5; "
    "118..120: 6; 121..123: 4; 124: 2; 125: 4; 126..127: 1; 128..138: 5; 139: 3; 140: 4; 141: 3; "
    "142..144: 5; 145..146: 7; 147..151: 5; 152: 4; 153..154: 6; 155: 7; 156: 6; 157: 8; 158: 6; "
    "159..167: 5; 168: 6; 169: 8; 170..172: 6; 173: 5; 174: 6; 175..177: 5; 178: 1; 179..183: 5; "
    "184: 8; 185: 3; 186..187: 4; 188: 3; 189..191: 6; 192..255: 8";

inline const char* BoldWidths =
    "0: 6; 1..3: 7; 8..15: 8; 18..20: 8; 21..24: 1; 25..27: 8; 31: 8; 32: 6; 33: 3; 34: 6; "
    "35..38: 8; 39: 3; 40..41: 4; 42: 8; 43: 7; 44: 4; 45: 6; 46: 3; 47..57: 7; 58: 3; 59: 4; "
    "60..62: 6; 63: 7; 64: 8; 65..72: 7; 73: 3; 74..76: 7; 77: 8; 78..80: 7; 81: 8; 82..86: 7; "
    "87: 8; 88..90: 7; 91: 5; 92: 7; 93: 5; 94: 4; 95: 7; 96: 4; 97..103: 6; 104: 7; 105: 3; "
    "106: 5; 107: 6; 108: 3; 109: 8; 110..118: 6; 119: 8; 120..122: 7; 123: 5; 124: 2; 125: 5; "
    "126..127: 1; 128: 7; 129..138: 6; 139: 4; 140: 5; 141: 4; 142..144: 7; 145..146: 8; "
    "147..151: 6; 152..155: 7; 156..157: 8; 158..164: 6; 165: 7; 166..167: 6; 168: 7; 169: 8; "
    "170..172: 7; 173: 6; 174..177: 7; 178: 1; 179: 6; 180..183: 7; 184: 8; 185: 4; 186..187: 5; "
    "188: 4; 189..191: 7; 192..255: 8";

inline const char* SpriteWidths =
    "1..4: 8; 5: 11; 6..8: 10; 9..12: 17; 13..16: 19; 17..20: 8; 21..24: 19; 25..28: 11; 29: 18; "
    "30..32: 17; 33: 10; 34: 11; 35: 12; 36..40: 13; 41..44: 12; 45..48: 18; 49..52: 16; "
    "53..56: 12; 57..58: 6; 59: 5; 60: 6; 61: 8; 62: 7; 63: 6; 64: 7; 65: 16; 66..68: 17; "
    "69..72: 14; 73..76: 22; 77..80: 8; 81..84: 12; 85..88: 9; 89..92: 17; 93..96: 21; 97..100: "
    "10; "
    "101..102: 16; 103: 17; 104: 16; 105..108: 12; 109..112: 14; 113..116: 13; 117: 14; 118: 11; "
    "119: 9; 120: 11; 121..126: 1";

// list index / drawing code: width
inline const char* DrawingWidths =
    "0/0: 11; 1/2: 10; 2/4: 21; 3/7: 19; 4/10: 11; 5/12: 8; 6/13: 8; 7/14: 8; 8/15: 8; 9/16: 8; "
    "10/17: 8; 11/18: 8; 12/19: 8; 13/20: 8; 14/21: 6; 15/22: 11; 16/24: 8; 17/25: 14; 18/27: 10; "
    "19/29: 8; 20/30: 12; 21/32: 11; 22/34: 13; 23/36: 12; 24/38: 8; 25/39: 8; 26/40: 8; "
    "27/41: 14; 28/43: 9; 29/45: 12; 30/47: 19; 31/50: 9; 32/52: 13; 33/54: 15; 34/56: 12; "
    "35/58: 16; 36/60: 24; 37/63: 18; 38/66: 16; 39/68: 10; 40/70: 10; 41/72: 8; 42/73: 8; "
    "43/74: 9; 44/76: 13; 45/78: 15; 46/80: 12; 47/82: 15; 48/84: 12; 49/86: 12; 50/88: 12; "
    "51/90: 13; 52/92: 14; 53/94: 12; 54/96: 13; 55/98: 8; 56/99: 9; 57/101: 14; 58/103: 10; "
    "59/105: 19; 60/108: 10; 61/110: 18; 62/113: 12; 63/115: 17; 64/118: 16; 65/120: 12; "
    "66/122: 14; 67/124: 18; 68/127: 10; 69/129: 10; 70/131: 11; 71/133: 18; 72/136: 18; "
    "73/139: 14; 74/141: 10; 75/143: 16; 76/145: 17; 77/147: 12; 78/149: 19; 79/152: 18; "
    "80/155: 16; 81/157: 8; 82/158: 7; 83/159: 11; 84/161: 10; 85/163: 18; 86/166: 13; "
    "87/168: 18; 88/171: 19; 89/174: 16; 90/176: 12; 91/178: 17; 92/181: 12; 93/183: 22; "
    "94/186: 20; 95/189: 21; 96/192: 18; 97/195: 21; 98/198: 23; 99/201: 20; 100/204: 12; "
    "101/206: 20; 102/209: 9; 103/211: 7; 104/212: 16; 105/214: 18; 106/217: 12; 107/219: 23; "
    "108/222: 10; 109/224: 7; 110/225: 10; 111/227: 16; 112/229: 16; 113/231: 15; 114/233: 18; "
    "115/236: 8; 116/237: 8; 117/238: 12; 118/240: 12; 119/242: 20; 120/245: 16; 121/247: 21; "
    "122/250: 19; 123/253: 14";

// "a: w; b..c: w" -> code -> width
inline std::map<int, int> parseWidths(const std::string& text) {
    std::map<int, int> widths;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ';')) {
        const auto colon = item.find(':');
        std::string codes = item.substr(0, colon);
        const int width = std::atoi(item.c_str() + colon + 1);
        const auto slash = codes.find('/');
        if (slash != std::string::npos) codes = codes.substr(slash + 1); // drawing: the code
        const auto dots = codes.find("..");
        const int first = std::atoi(codes.c_str());
        const int last = dots == std::string::npos ? first : std::atoi(codes.c_str() + dots + 2);
        for (int c = first; c <= last; ++c) widths[c] = width;
    }
    return widths;
}

inline std::vector<uint8_t> hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    std::stringstream in(text);
    std::string byte;
    while (in >> byte) bytes.push_back(uint8_t(std::strtoul(byte.c_str(), nullptr, 16)));
    return bytes;
}

// Telling glyphs: font (convertCharacter's fontIndex, or -1 for a drawing code), code, columns.
struct TellingGlyph {
    int font;
    int code;
    const char* columns;
    const char* what;
};

inline const std::vector<TellingGlyph>& tellingGlyphs() {
    static const std::vector<TellingGlyph> table = {
        {.font = 0, .code = 65, .columns = "3F 48 48 3F 00", .what = "thin A"},
        {.font = 0, .code = 32, .columns = "00 00 00 00 00", .what = "thin space"},
        {.font = 0, .code = 103, .columns = "32 49 49 7E 00", .what = "thin g"},
        {.font = 0, .code = 128, .columns = "3C 42 43 42 00", .what = "thin Ç"},
        {.font = 0, .code = 179, .columns = "32 55 35 4F 00", .what = "thin ã"},
        {.font = 1, .code = 65, .columns = "3F 7F 48 48 7F 3F 00", .what = "bold A"},
        {.font = 1, .code = 32, .columns = "00 00 00 00 00 00", .what = "bold space"},
        {.font = 2, .code = 65, .columns = "3F 3F 48 48 48 48 3F 3F 00 00", .what = "font 2 A"},
        {.font = 3,
         .code = 65,
         .columns = "3F 3F 7F 7F 48 48 48 48 7F 7F 3F 3F 00 00",
         .what = "font 3 A"},
        {.font = 0, .code = 0, .columns = "7C 04 00 20 7C 00", .what = "font marker 0, thin"},
        {.font = 1, .code = 0, .columns = "7C 04 00 20 7C 00", .what = "font marker 0, bold"},
        {.font = 0, .code = 3, .columns = "7C 04 00 70 10 7C 00", .what = "font marker 3, thin"},
        {.font = 1, .code = 3, .columns = "7C 04 00 70 10 7C 00", .what = "font marker 3, bold"},
        {.font = 0, .code = 8, .columns = "3E 41 41 7D 49 51 3E 00", .what = "clock icon, thin"},
        {.font = 1, .code = 8, .columns = "3E 41 41 7D 49 51 3E 00", .what = "clock icon, bold"},
        {.font = 0,
         .code = 26,
         .columns = "48 44 42 7F 42 44 48 00",
         .what = "countdown icon, thin"},
        {.font = 1,
         .code = 26,
         .columns = "48 44 42 7F 42 44 48 00",
         .what = "countdown icon, bold"},
        {.font = 0,
         .code = 27,
         .columns = "09 11 21 7F 21 11 09 00",
         .what = "count-up icon, thin"},
        {.font = 1,
         .code = 27,
         .columns = "09 11 21 7F 21 11 09 00",
         .what = "count-up icon, bold"},
        {.font = 1, .code = 192, .columns = "01 01 21 7D 01 01 01 00", .what = "effect marker 1"},
        {.font = 0,
         .code = 192,
         .columns = "01 01 21 7D 01 01 01 00",
         .what = "effect marker 1, thin"},
        {.font = 1, .code = 201, .columns = "21 7D 01 39 45 39 01 00", .what = "effect marker 10"},
        {.font = 1, .code = 255, .columns = "39 55 49 01 71 11 7D 00", .what = "effect marker 64"},
        {.font = 5, .code = 1, .columns = "1C 3E 5F 57 77 36 14 00", .what = "sprite 1"},
        {.font = 5, .code = 2, .columns = "1C 3E 57 53 73 22 22 00", .what = "sprite 2"},
        // live-field texts
        {.font = 0, .code = 48, .columns = "3E 41 41 3E 00", .what = "thin 0"},
        {.font = 0, .code = 49, .columns = "21 7F 01 00", .what = "thin 1"},
        {.font = 0, .code = 50, .columns = "23 45 49 31 00", .what = "thin 2"},
        {.font = 0, .code = 51, .columns = "22 41 49 36 00", .what = "thin 3"},
        {.font = 0, .code = 52, .columns = "1C 24 7F 04 00", .what = "thin 4"},
        {.font = 0, .code = 53, .columns = "79 49 49 46 00", .what = "thin 5"},
        {.font = 0, .code = 54, .columns = "3E 49 49 26 00", .what = "thin 6"},
        {.font = 0, .code = 55, .columns = "40 47 48 70 00", .what = "thin 7"},
        {.font = 0, .code = 56, .columns = "36 49 49 36 00", .what = "thin 8"},
        {.font = 0, .code = 57, .columns = "32 49 49 3E 00", .what = "thin 9"},
        {.font = 0, .code = 58, .columns = "14 00", .what = "thin :"},
        {.font = 0, .code = 47, .columns = "03 04 08 10 60 00", .what = "thin /"},
        {.font = 0, .code = 46, .columns = "01 00", .what = "thin ."},
        {.font = 0, .code = 167, .columns = "30 48 48 30 00", .what = "thin degree"},
        {.font = 0, .code = 67, .columns = "3E 41 41 41 00", .what = "thin C"},
        {.font = 1, .code = 48, .columns = "3E 7F 41 41 7F 3E 00", .what = "bold 0"},
        {.font = 1, .code = 49, .columns = "11 31 7F 7F 01 01 00", .what = "bold 1"},
        {.font = 1, .code = 50, .columns = "21 63 47 4D 79 31 00", .what = "bold 2"},
        {.font = 1, .code = 51, .columns = "22 63 49 49 7F 36 00", .what = "bold 3"},
        {.font = 1, .code = 52, .columns = "0C 1C 34 7F 7F 04 00", .what = "bold 4"},
        {.font = 1, .code = 53, .columns = "79 79 49 49 4F 46 00", .what = "bold 5"},
        {.font = 1, .code = 54, .columns = "3E 7F 49 49 6F 26 00", .what = "bold 6"},
        {.font = 1, .code = 55, .columns = "40 40 47 4F 78 70 00", .what = "bold 7"},
        {.font = 1, .code = 56, .columns = "36 7F 49 49 7F 36 00", .what = "bold 8"},
        {.font = 1, .code = 57, .columns = "32 7B 49 49 7F 3E 00", .what = "bold 9"},
        {.font = 1, .code = 58, .columns = "36 36 00", .what = "bold :"},
        {.font = 1, .code = 47, .columns = "03 06 0C 18 30 60 00", .what = "bold /"},
        {.font = 1, .code = 46, .columns = "03 03 00", .what = "bold ."},
        {.font = 1, .code = 167, .columns = "30 78 48 78 30 00", .what = "bold degree"},
        {.font = 1, .code = 67, .columns = "3E 7F 41 41 63 22 00", .what = "bold C"},
        // drawings
        {.font = -1,
         .code = 0,
         .columns = "30 73 47 4F 5D 5D 4F 47 73 30 00",
         .what = "drawing 0 framed pictogram"},
        {.font = -1,
         .code = 12,
         .columns = "08 18 3F 7F 3F 18 08 00",
         .what = "drawing 12 upward arrow"},
        {.font = -1, .code = 21, .columns = "70 49 4F 49 70 00", .what = "drawing 21 goblet"},
        {.font = -1, .code = 158, .columns = "0E 1B 17 3F 5F 0E 00", .what = "drawing 158 apple"},
        {.font = -1, .code = 211, .columns = "18 18 7F 7F 18 18 00", .what = "drawing 211 cross"},
        {.font = -1,
         .code = 224,
         .columns = "02 07 07 7E 40 20 00",
         .what = "drawing 224 musical note"},
        {.font = -1,
         .code = 60,
         .columns = "07 0E 3D 25 26 3F 7F 01 03 03 03 03 07 07 0E 0D 15 16 23 21 40 40 30 00",
         .what = "drawing 60 vehicle"},
    };
    return table;
}

} // namespace vorelux::testdata

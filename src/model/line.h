#pragma once
// The byte encoding of one message line.
//
//   byte 0      0xFF start-of-line marker (also the line separator in page files)
//   byte 1      entry effect, 191 + effect number (192..252)
//   byte 2      exit effect, same encoding
//   byte 3..    content: font selects 0..3, the drawing escape 31 + a drawing
//               code, live-field codes, and panel characters
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

using LineStream = std::vector<uint8_t>;

constexpr uint8_t LineStart = 0xFF;
constexpr uint8_t DrawingEscape = 31;
constexpr int HeaderSize = 3;
constexpr int EffectCount = 61;
constexpr uint8_t EffectByteBase = 191; // effect n is stored as 191 + n
constexpr int PageByteLimit = 1024;     // a page always stays below this many bytes
// Content bytes a page can carry besides its 3-byte line headers: every
// insertion keeps the page total under PageByteLimit, and a page has at least
// one line. Only line headers (Enter) can take a page past PageByteLimit.
constexpr int PageContentLimit = PageByteLimit - 1 - HeaderSize;
constexpr int PageCount = 8;
constexpr int DrawingCount = 124;
constexpr int FunctionCount = 14;

constexpr uint8_t effectByte(int effectNumber) {
    return uint8_t(EffectByteBase + effectNumber);
}
constexpr int effectNumber(uint8_t effectByte) {
    return int(effectByte) - EffectByteBase;
}
constexpr bool isEffectByte(uint8_t b) {
    return b >= effectByte(1) && b <= effectByte(EffectCount);
}

// A new line: marker, effect 1 in, effect 1 out, no content.
LineStream newLine();

// Drawing list index 0..123 to drawing code, then function list index
// 0..13 to live-field code (entries 124..137).
extern const std::array<uint8_t, 138> InsertCodeTable;

constexpr bool isFontSelect(uint8_t b) {
    return b <= 3;
}
bool isLiveFieldCode(uint8_t b);
bool isDrawingCode(uint8_t b);
// Drawing list index of a drawing code, -1 when the code is not one.
int drawingListIndex(uint8_t code);
// Function list index of a live-field code, -1 when the code is not one.
int functionListIndex(uint8_t code);

struct FunctionInfo {
    uint8_t code;
    const char* name;     // FunctionNames: used in the list hint
    const char* listText; // sample text shown in the function list (UTF-8)
    char shortcut;        // Ctrl + this letter inserts it
};
extern const std::array<FunctionInfo, FunctionCount> FunctionTable;
// The function names alone, in list order.
extern const std::array<const char*, FunctionCount> FunctionNames;

// The text the line boxes show for a line, in the LED font's code points.
// Position s of the result is line byte 3 + s.
std::u16string lineDisplayText(const LineStream& line);

// Where the content of a line really starts and ends: skips over the drawing
// pair that starts at `index` (used by cursor movement and the rasterizer).
bool isDrawingEscapeAt(const LineStream& line, size_t index);

} // namespace vorelux

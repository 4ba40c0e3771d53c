#include "model/line.h"

#include <algorithm>

namespace vorelux {

LineStream newLine() {
    return LineStream{LineStart, effectByte(1), effectByte(1)};
}

const std::array<uint8_t, 138> InsertCodeTable = {
    // drawings, list order
    0, 2, 4, 7, 10, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 27, 29, 30, 32, 34, 36, 38,
    39, 40, 41, 43, 45, 47, 50, 52, 54, 56, 58, 60, 63, 66, 68, 70, 72, 73, 74, 76, 78, 80, 82, 84,
    86, 88, 90, 92, 94, 96, 98, 99, 101, 103, 105, 108, 110, 113, 115, 118, 120, 122, 124, 127, 129,
    131, 133, 136, 139, 141, 143, 145, 147, 149, 152, 155, 157, 158, 159, 161, 163, 166, 168, 171,
    174, 176, 178, 181, 183, 186, 189, 192, 195, 198, 201, 204, 206, 209, 211, 212, 214, 217, 219,
    222, 224, 225, 227, 229, 231, 233, 236, 237, 238, 240, 242, 245, 247, 250, 253,
    // live fields, function list order
    8, 9, 10, 11, 12, 13, 14, 15, 18, 19, 20, 25, 26, 27};

const std::array<FunctionInfo, FunctionCount> FunctionTable = {{
    {8, "Hora", "12:00:00", 'H'},
    {9, "Dia da semana com Data", "SEG 19/02", 'D'},
    {10, "Data com Ano", "19/02/2015", 'J'},
    {11, "TEMPERATURA Interna", "25ºC (int.)", 'T'},
    {12, "Temperatura Externa", "25ºC (ext.)", 'E'},
    {13, "Hora com Data", "12:00 19/02", 'R'},
    {14, "Hora com Temperatura Interna", "12:00 25ºC (int.)", 'X'},
    {15, "Hora com Temperatura Externa", "12:00 25ºC (ext.)", 'F'},
    {18, "Hora Grande", "12:00 (big)", 'B'},
    {19, "Temperatura Interna Grande", "25ºC (int. big)", 'K'},
    {20, "Temperatura Externa Grande", "25ºC (ext. big)", 'L'},
    {25, "Saudação", "Bom Dia", 'S'},
    {26, "Contagem Regressiva de Dias", "123 dias (regress.)", 'O'},
    {27, "Contagem Progressiva de Dias", "456 dias (progres.)", 'P'},
}};

const std::array<const char*, FunctionCount> FunctionNames = [] {
    std::array<const char*, FunctionCount> names{};
    for (int i = 0; i < FunctionCount; ++i) names[i] = FunctionTable[i].name;
    return names;
}();

bool isLiveFieldCode(uint8_t b) {
    return functionListIndex(b) >= 0;
}

int drawingListIndex(uint8_t code) {
    auto end = InsertCodeTable.begin() + DrawingCount;
    auto it = std::find(InsertCodeTable.begin(), end, code);
    return it == end ? -1 : int(it - InsertCodeTable.begin());
}

bool isDrawingCode(uint8_t b) {
    return drawingListIndex(b) >= 0;
}

int functionListIndex(uint8_t code) {
    for (int i = 0; i < FunctionCount; ++i)
        if (FunctionTable[i].code == code) return i;
    return -1;
}

namespace {
// The LED font shows byte b as the character U+0200 + b; a drawing shows as
// its escape and one fixed glyph, whatever its code.
constexpr char16_t DisplayGlyphBase = 0x200;
constexpr char16_t DrawingGlyph = DisplayGlyphBase + DrawingEscape;
constexpr char16_t DrawingCodeGlyph = DisplayGlyphBase + 0x1E;
constexpr char16_t SpaceGlyph = DisplayGlyphBase + ' ';
} // namespace

std::u16string lineDisplayText(const LineStream& line) {
    std::u16string text;
    text.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        const auto ch = char16_t(DisplayGlyphBase + line[i]);
        if (ch == DrawingGlyph) {
            text += ch;
            if (i + 1 < line.size()) {
                text += DrawingCodeGlyph;
                ++i;
            }
            continue;
        }
        text += ch == SpaceGlyph ? u' ' : ch;
    }
    return text.size() > HeaderSize ? text.substr(HeaderSize) : std::u16string();
}

bool isDrawingEscapeAt(const LineStream& line, size_t index) {
    return index >= HeaderSize && index < line.size() && line[index] == DrawingEscape;
}

} // namespace vorelux

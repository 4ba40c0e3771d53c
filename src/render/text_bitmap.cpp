#include "render/text_bitmap.h"

#include "model/charset.h"
#include "model/line.h"
#include "render/panel.h"

#include <algorithm>

namespace vorelux {

LedBitmap textBitmap(GlyphRenderer& glyphs, std::vector<uint8_t>& array_data, uint8_t fontIndex,
                     int32_t imWidth) {
    std::vector<uint8_t> columns;
    uint8_t f = fontIndex;
    auto append = [&] {
        const int count = glyphs.lastGlyphColumn + 1;
        columns.insert(columns.end(), glyphs.glyphColumns.begin(),
                       glyphs.glyphColumns.begin() + count);
    };
    for (size_t i = 0; i < array_data.size(); ++i) {
        if (array_data[i] == DrawingEscape) {
            // An escape without a code after it draws nothing.
            if (i + 1 >= array_data.size()) break;
            glyphs.convertSprite(array_data[++i]);
            append();
            continue;
        }
        const uint8_t b = toPanelCharacter(char16_t(array_data[i]), 0);
        array_data[i] = b;
        if (b <= 3) {
            f = b;
            continue;
        }
        glyphs.convertCharacter(f, b);
        append();
    }

    LedBitmap image(std::max<int32_t>(imWidth, 0), PanelRows);
    const int n = int(columns.size());
    for (int x = 1; x < std::min(n, image.width); ++x) {
        const uint8_t column = columns[size_t(x - 1)];
        for (int r = 0; r < PanelRows; ++r) image.set(x, r, (column >> (6 - r)) & 1);
    }
    return image;
}

std::vector<uint8_t> messageBytes(const std::u16string& text) {
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size());
    for (char16_t ch : text) bytes.push_back(uint8_t(ch & 0xFF));
    return bytes;
}

std::array<LedBitmap, 4> makeFontPreviews(GlyphRenderer& glyphs, int32_t imWidth) {
    std::array<LedBitmap, 4> previews;
    for (int q = 0; q < 4; ++q) {
        std::string text = "Fonte " + std::to_string(q + 1) + std::string(9, ' ');
        std::vector<uint8_t> bytes(text.begin(), text.end());
        previews[size_t(q)] = textBitmap(glyphs, bytes, uint8_t(q), imWidth);
    }
    return previews;
}

LedBitmap drawingPicture(GlyphRenderer& glyphs, int listIndex) {
    LedBitmap picture(DrawingPictureSize, DrawingPictureSize);
    if (listIndex < 0 || listIndex >= DrawingCount) return picture;
    const int32_t keep = glyphs.lastGlyphColumn;
    glyphs.lastGlyphColumn = -1; // so that a drawing missing from the tables shows nothing
    glyphs.convertSprite(InsertCodeTable[size_t(listIndex)]);
    std::vector<uint8_t> cols(glyphs.glyphColumns.begin(),
                              glyphs.glyphColumns.begin() + (glyphs.lastGlyphColumn + 1));
    glyphs.lastGlyphColumn = keep;

    // Only the lit part is centred: trim blank columns at both ends.
    while (!cols.empty() && cols.back() == 0) cols.pop_back();
    auto first = std::find_if(cols.begin(), cols.end(), [](uint8_t c) { return c != 0; });
    cols.erase(cols.begin(), first);
    if (cols.empty()) return picture;

    const int w = int(cols.size());
    if (w > DrawingPictureSize) {
        // Merge neighbouring columns so that no lit LED is lost.
        std::vector<uint8_t> narrow(DrawingPictureSize, 0);
        for (int x = 0; x < w; ++x) narrow[size_t(x * DrawingPictureSize / w)] |= cols[size_t(x)];
        cols = narrow;
    }
    const int width = int(cols.size());
    const int scale = (width * 2 <= DrawingPictureSize) ? 2 : 1;
    const int left = (DrawingPictureSize - width * scale) / 2;
    const int top = (DrawingPictureSize - PanelRows * scale) / 2;
    for (int x = 0; x < width; ++x)
        for (int r = 0; r < PanelRows; ++r)
            if ((cols[size_t(x)] >> (6 - r)) & 1)
                for (int dy = 0; dy < scale; ++dy)
                    for (int dx = 0; dx < scale; ++dx)
                        picture.set(left + x * scale + dx, top + r * scale + dy, true);
    return picture;
}

std::vector<LedBitmap> makeDrawingPictures(GlyphRenderer& glyphs) {
    std::vector<LedBitmap> pictures;
    pictures.reserve(DrawingCount);
    for (int i = 0; i < DrawingCount; ++i) pictures.push_back(drawingPicture(glyphs, i));
    return pictures;
}

} // namespace vorelux

// Effects 32..61: an animated figure of four sprite frames crosses the panel,
// one column per step; on the way in it walks right and uncovers the segment,
// on the way out it walks left, mirrored, and leaves the panel dark.
#include "preview/engine.h"

namespace vorelux::preview {

namespace {
constexpr int SpriteFont = 5;
}

// The figure walks right; the segment is uncovered up to its right edge.
void PreviewEngine::spriteIn(uint8_t firstFrame, uint8_t frameHold) {
    const int lastColumn = glyphs_.convertCharacter(SpriteFont, firstFrame);
    uint8_t edge = 0; // the figure's right edge
    // The test is made once per group of four frames.
    while (edge <= lastColumn + 64) {
        for (int code = firstFrame; code <= firstFrame + 3; ++code) {
            const uint8_t width = glyphs_.convertCharacter(SpriteFont, uint8_t(code));
            for (int h = 0; h <= frameHold; ++h) {
                showFrame(2);
                clearColumns(0, 63);
                copyFromAuxScreen(0, uint8_t(edge - lastColumn + 1));
                drawSprite(uint8_t(edge - lastColumn), 8, width, 1);
                edge = uint8_t(edge + 1);
            }
        }
    }
    showFrame(2);
}

// The mirrored figure walks left; the panel is dark behind it.
void PreviewEngine::spriteOut(uint8_t firstFrame, uint8_t frameHold) {
    const int lastColumn = glyphs_.convertCharacter(SpriteFont, firstFrame);
    uint8_t edge = uint8_t(lastColumn + 63);
    // Ends once the edge has gone below 0 and wrapped.
    while (edge <= lastColumn + 63) {
        for (int code = firstFrame; code <= firstFrame + 3; ++code) {
            const uint8_t width = glyphs_.convertCharacter(SpriteFont, uint8_t(code));
            glyphs_.mirrorGlyph(width);
            for (int h = 0; h <= frameHold; ++h) {
                showFrame(2);
                clearColumns(0, 63);
                copyFromAuxScreen(0, uint8_t(edge - width + 1));
                drawSprite(uint8_t(edge - width), 8, width, 1);
                edge = uint8_t(edge - 1);
            }
        }
    }
    showFrame(2);
}

} // namespace vorelux::preview

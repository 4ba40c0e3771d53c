// Effects 32..61: an animated figure of four sprite frames crosses the panel,
// one column per step; on the way in it walks right and uncovers the segment,
// on the way out it walks left, mirrored, and leaves the panel dark.
#include "preview/effects.h"

namespace vorelux::preview {

namespace {
constexpr int SpriteFont = 5;
}

// The figure walks right; the segment is uncovered up to its right edge.
void spriteIn(PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out, uint8_t firstFrame,
              uint8_t frameHold) {
    const int lastColumn = glyphs.convertCharacter(SpriteFont, firstFrame);
    uint8_t edge = 0; // the figure's right edge
    // The test is made once per group of four frames.
    while (edge <= lastColumn + PanelColumns) {
        for (int code = firstFrame; code <= firstFrame + 3; ++code) {
            const uint8_t width = glyphs.convertCharacter(SpriteFont, uint8_t(code));
            for (int h = 0; h <= frameHold; ++h) {
                out.show(2);
                screen.clearColumns(0, PanelLastColumn);
                screen.copyFromComposed(0, uint8_t(edge - lastColumn + 1));
                screen.drawSprite(glyphs.glyphColumns, uint8_t(edge - lastColumn), 8, width, 1);
                edge = uint8_t(edge + 1);
            }
        }
    }
    out.show(2);
}

// The mirrored figure walks left; the panel is dark behind it.
void spriteOut(PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out, uint8_t firstFrame,
               uint8_t frameHold) {
    const int lastColumn = glyphs.convertCharacter(SpriteFont, firstFrame);
    uint8_t edge = uint8_t(lastColumn + PanelLastColumn);
    // Ends once the edge has gone below 0 and wrapped.
    while (edge <= lastColumn + PanelLastColumn) {
        for (int code = firstFrame; code <= firstFrame + 3; ++code) {
            const uint8_t width = glyphs.convertCharacter(SpriteFont, uint8_t(code));
            glyphs.mirrorGlyph(width);
            for (int h = 0; h <= frameHold; ++h) {
                out.show(2);
                screen.clearColumns(0, PanelLastColumn);
                screen.copyFromComposed(0, uint8_t(edge - width + 1));
                screen.drawSprite(glyphs.glyphColumns, uint8_t(edge - width), 8, width, 1);
                edge = uint8_t(edge - 1);
            }
        }
    }
    out.show(2);
}

} // namespace vorelux::preview

#pragma once
// Inside the preview: the entry, exit and figure effects. Each routine works
// on a PanelScreen and hands every frame to a FrameOut. Not for other folders.
#include "preview/panel_screen.h"
#include "render/glyphs.h"

#include <array>
#include <cstdint>

namespace vorelux::preview {

// Where an effect hands its frames: shows `shown` for `cycles` cycles of
// 8/700 s. Throws PreviewStopped when the preview stops there; no further
// step of the effect follows.
class FrameOut {
  public:
    virtual void show(uint8_t cycles) = 0;

  protected:
    ~FrameOut() = default;
};

// Effect n (1..61): an entry brings `composed` onto the screen (which starts
// dark), an exit takes `shown` off the panel.
void playEntryEffect(int n, PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out);
void playExitEffect(int n, PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out);

// Shared by entries and exits.
void blink(PanelScreen& screen, FrameOut& out);         // 30
void blinkInverted(PanelScreen& screen, FrameOut& out); // 31
// One squeeze of the horizontal accordion.
void squeezePass(std::array<uint8_t, PanelColumns>& columns);
// The figures 32..61.
void spriteIn(PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out, uint8_t firstFrame,
              uint8_t frameHold);
void spriteOut(PanelScreen& screen, GlyphRenderer& glyphs, FrameOut& out, uint8_t firstFrame,
               uint8_t frameHold);

} // namespace vorelux::preview

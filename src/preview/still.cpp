#include "preview/still.h"

namespace vorelux::preview {

namespace {

// Counts cycles and stops the play at the frame that covers the cycle.
class StillSink final : public FrameSink {
  public:
    StillSink(long cycle, Still& still) : cycle_(cycle), still_(still) {}
    bool show(const PanelImage& screen, uint8_t cycles) override {
        const long start = still_.roundCycles;
        still_.roundCycles += cycles;
        if (cycle_ < start || cycle_ >= still_.roundCycles) return true;
        still_.found = true;
        still_.frameStart = start;
        still_.image = screen;
        still_.image[size_t(PanelColumns)] = 0;
        for (auto& c : still_.image) c &= 0x7F; // bit 7 is never shown
        return false;
    }

  private:
    long cycle_;
    Still& still_;
};

} // namespace

Still frameAtCycle(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock, long cycle) {
    Still still;
    if (cycle < 0) return still;
    StillSink sink(cycle, still);
    runPage(lines, glyphs, clock, sink, {.rounds = 1});
    return still;
}

} // namespace vorelux::preview

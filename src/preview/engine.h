#pragma once
// Inside the preview: the engine behind PagePlayer. It keeps the play state,
// composes segments, runs the play loop and hands the effects their screen
// and frames. Other folders use preview/page_player.h.
#include "preview/effects.h"
#include "preview/page_player.h"
#include "preview/panel_screen.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace vorelux::preview {

// What the play loop keeps between segments.
struct PlayState {
    std::atomic<bool> enabled{false}; // the preview is running; false is the stop request
    int32_t lineCount = 0;            // lines of the page, taken at the start
    int32_t lineIndex = 0;            // line being played
    int32_t segmentStart = 3;         // where the next segment starts (3 = first content byte)
    uint8_t entryEffect = 0;          // entry-effect byte of the line
    uint8_t exitEffect = 0;           // exit-effect byte of the line
    uint8_t startFont = 1;            // font in force at the start of every segment
    LineStream line;                  // snapshot of the line being played
};

class PreviewEngine final : private FrameOut {
  public:
    PreviewEngine(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock);

    RunResult run(FrameSink& sink, int rounds);
    void requestStop() { play_.enabled = false; }
    void requestLineSkip(int direction) { lineSkipRequest_ = direction < 0 ? -1 : 1; }
    bool running() const { return play_.enabled; }

    // Composes the first segment of `line` into screen.composed. Returns the
    // start column.
    int composeSegment(const LineStream& line);
    // Runs effect n (1..61) alone on what `screen` holds.
    RunResult playEffect(bool entry, int n, FrameSink& sink);

    LiveFieldDrawer drawLiveField;
    PanelScreen screen;

  private:
    struct SegmentLayout {
        bool empty = true;       // nothing to show: the line is finished
        bool finished = false;   // the segment runs to the end of the line
        int32_t nextByte = 0;    // byte after the last one rendered
        int32_t lastByte = 0;    // last byte of the segment
        int width = 0;           // width of the segment (a full panel or more: it scrolls)
        int startColumn = 0;     // where the segment starts on the panel
        int font = 1;            // font in force after the render pass
        int lastItemColumns = 0; // columns of the last item already placed
    };
    struct Measure {
        int32_t lastByte = 0; // last byte of the segment
        int width = 0;        // its width up to lastByte
        int font = 1;         // font in force where the measure stopped
        bool finished = false;
    };

    // Driver.
    bool playNextSegment();
    bool playSegment(uint8_t font);
    void scrollOverflow(SegmentLayout& layout);
    bool playScrollOnly();
    void scrollItemThrough();
    void scrollBlankColumn();
    void show(uint8_t cycles) override { showFrame(cycles); }
    void showFrame(uint8_t cycles);
    void showPendingLiveField();
    void holdLiveField(int frames, uint8_t cycles);
    bool changeLine(int rounds, long& linesPlayed);
    void runEntry(uint8_t effectByte);
    void runExit(uint8_t effectByte);

    SegmentLayout composeNextSegment(uint8_t font);
    Measure measureSegment(uint8_t font);
    void renderSegment(SegmentLayout& layout, uint8_t font);
    void loadItem(uint8_t code, int32_t& pos, int font);
    uint8_t readByte(int32_t pos) const;
    void loadLine(int index);
    void scrollStep(uint8_t column);

    PlayState play_;
    uint8_t pendingLiveCode_ = 0; // live field met by the last segment, shown next
    std::atomic<int32_t> lineSkipRequest_{0};
    const LineSource& lines_;
    GlyphRenderer& glyphs_;
    const Clock& clock_;
    FrameSink* sink_ = nullptr;
};

} // namespace vorelux::preview

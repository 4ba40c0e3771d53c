#pragma once
// The preview engine: plays a page as a panel would, line after line, each
// line cut into segments that fit the 64 columns, brought in by the line's
// entry effect, held, scrolled when wider than the panel and taken out by its
// exit effect, with live fields shown in their place.
//
// The engine is plain synchronous code that knows nothing of time or windows:
// every frame goes to FrameSink::show(screen, cycles), one cycle being
// 8/700 s. The sink decides how long a frame stays (a trace records it, the
// editor waits until an absolute deadline) and whether the preview goes on.
//
// Threading: the host may run `run` on a worker thread. requestStop() and
// requestLineSkip() may be called from any thread; the engine reads line
// bytes only through LineSource::line(), which returns a copy (the host makes
// that copy under its own lock). GlyphRenderer keeps the conversion buffer
// as its state, so an engine on a worker thread gets a renderer of its own.
// The screen image is passed to show() by reference for the call only: a
// sink that hands the frame to another thread copies the 65 bytes.
#include "model/line.h"
#include "render/clock.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace vorelux::preview {

// Where the engine reads the lines of the page being played.
class LineSource {
  public:
    virtual ~LineSource() = default;
    virtual int lineCount() const = 0;
    // A snapshot of line `index` (0 <= index < lineCount()).
    virtual LineStream line(int index) const = 0;
};

// A fixed list of lines (tests, the command-line tool).
class VectorLineSource final : public LineSource {
  public:
    VectorLineSource() = default;
    explicit VectorLineSource(std::vector<LineStream> source) : lines(std::move(source)) {}
    int lineCount() const override { return int(lines.size()); }
    LineStream line(int index) const override { return lines.at(size_t(index)); }
    std::vector<LineStream> lines;
};

// Receives every frame. show() returns false to stop the preview (it may also
// throw PreviewStopped); either way no further frame and no further effect
// step follows.
class FrameSink {
  public:
    virtual ~FrameSink() = default;
    virtual bool show(const PanelImage& screen, uint8_t cycles) = 0;
    // The play loop moved to line `index` (the editor shows it and its
    // neighbours in the line boxes).
    virtual void lineStarted(int /*index*/) {}
};

// Thrown to unwind a stopped preview; run() and playEffect() catch it.
struct PreviewStopped {};

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

enum class RunResult {
    NothingToPlay, // no line holds more than its three header bytes (prompt 9)
    Stopped,       // a stop request ended the preview
    RoundsDone,    // the requested number of rounds was played
};

// Scrambled column sweeps: visit k (0..63) is column 8 * P[k mod 8] + P[k div 8].
extern const std::array<uint8_t, 8> PixelOrderA;
extern const std::array<uint8_t, 8> PixelOrderB;
inline uint8_t sweepA(int k) {
    return uint8_t(8 * PixelOrderA[size_t(k % 8)] + PixelOrderA[size_t(k / 8)]);
}
inline uint8_t sweepB(int k) {
    return uint8_t(8 * PixelOrderB[size_t(k % 8)] + PixelOrderB[size_t(k / 8)]);
}

class PreviewEngine {
  public:
    PreviewEngine(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock);

    // True when some line holds content (more than its three header bytes).
    static bool pageHasContent(const LineSource& lines);

    // Plays the page from its first line until stopped, or for `rounds`
    // rounds (a round plays every line once) when rounds > 0.
    RunResult run(FrameSink& sink, int rounds = 0);

    // Thread-safe requests from the host.
    void requestStop() { play.enabled = false; }
    // -1: go to the previous line, +1: the next one.
    void requestLineSkip(int direction) { lineSkipRequest = direction < 0 ? -1 : 1; }
    bool running() const { return play.enabled; }

    // Composes the first segment of `line` into auxScreen the way the segment
    // player does (centred when it fits). Returns the start column.
    int composeSegment(const LineStream& line);
    // Runs the entry (or exit) routine of effect n (1..61) alone. For an exit,
    // screen should hold the image to take away.
    RunResult playEffect(bool entry, int n, FrameSink& sink);

    // A host that knows values the editor does not (a panel with its own day
    // counters and temperature adjustments) may draw a live field itself:
    // it returns true when it drew `code` into the screen, which is then held
    // like any other field; false leaves the field to the engine.
    std::function<bool(uint8_t code, PanelImage& screen)> drawLiveField;

    // ---- state ----
    PlayState play;
    uint8_t pendingLiveCode = 0; // live field met by the last segment, shown next
    std::atomic<int32_t> lineSkipRequest{0};
    PanelImage screen{};    // the image shown
    PanelImage auxScreen{}; // the segment composed for the next entry effect

    // ---- primitives (on `screen`; positions are bytes) ----
    void copyFromAuxScreen(uint8_t firstColumn, uint8_t lastColumn);
    void clearColumns(uint8_t firstColumn, uint8_t lastColumn);
    void invertColumns(uint8_t firstColumn, uint8_t lastColumn);
    void lightRows(uint8_t firstColumn, uint8_t lastColumn, uint8_t rows);
    void shiftLeft(uint8_t columns, uint8_t firstColumn, uint8_t lastColumn);
    void shiftRight(uint8_t columns, uint8_t firstColumn, uint8_t lastColumn);
    void shiftRowsLeft(uint8_t columns, uint8_t rows);
    void shiftRowsRight(uint8_t columns, uint8_t rows);
    void shiftDown(uint8_t firstColumn, uint8_t lastColumn, uint8_t frozenRows,
                   uint8_t summingRows);
    void shiftUp(uint8_t firstColumn, uint8_t lastColumn, uint8_t frozenRows, uint8_t summingRows);
    void drawSprite(uint8_t x, uint8_t y, uint8_t width, uint8_t inFront);

    // ---- entry routines, by effect number ----
    void scrollInFromRight();                             // 1
    void scrollInFromLeft();                              // 2
    void openCurtainIn();                                 // 3
    void wipeInFromRight();                               // 4
    void wipeInFromLeft();                                // 5
    void appearIn();                                      // 6
    void rowsInFromBottom();                              // 7
    void rowsInFromTop();                                 // 8
    void verticalTetrisIn();                              // 9
    void pixelCascadeIn();                                // 10
    void pixelRainIn();                                   // 11
    void slideDownIn();                                   // 12
    void horizontalAccordionIn();                         // 13
    void verticalAccordionIn();                           // 14
    void zoomIn();                                        // 15
    void closeCurtainIn();                                // 16
    void horizontalSlicesIn();                            // 17
    void verticalSlicesIn();                              // 18
    void laserBeamIn();                                   // 19
    void laserShotsIn();                                  // 20
    void pixelWaveIn();                                   // 21
    void fadeIn();                                        // 22
    void gateIn();                                        // 23
    void riseAndFallIn();                                 // 24
    void scrollRowsIn();                                  // 25
    void slideUpIn();                                     // 26
    void trickleIn();                                     // 27
    void horizontalTetrisIn();                            // 28
    void blockTetrisIn();                                 // 29
    void blink();                                         // 30, both ways
    void blinkInverted();                                 // 31, both ways
    void spriteIn(uint8_t firstFrame, uint8_t frameHold); // 32..61

    // ---- exit routines, by effect number ----
    void scrollOutToLeft();                                // 1
    void scrollOutToRight();                               // 2
    void openCurtainOut();                                 // 3
    void wipeOutFromRight();                               // 4
    void wipeOutFromLeft();                                // 5
    void disappearOut();                                   // 6
    void rowsOutFromBottom();                              // 7
    void rowsOutFromTop();                                 // 8
    void verticalTetrisOut();                              // 9
    void pixelCascadeOut();                                // 10
    void pixelRainOut();                                   // 11
    void slideDownOut();                                   // 12
    void horizontalAccordionOut();                         // 13
    void verticalAccordionOut();                           // 14
    void zoomOut();                                        // 15
    void closeCurtainOut();                                // 16
    void horizontalSlicesOut();                            // 17
    void verticalSlicesOut();                              // 18
    void laserBeamOut();                                   // 19
    void laserShotsOut();                                  // 20
    void pixelWaveOut();                                   // 21
    void fadeOut();                                        // 22
    void gateOut();                                        // 23
    void riseAndFallOut();                                 // 24
    void scrollRowsOut();                                  // 25
    void slideUpOut();                                     // 26
    void trickleOut();                                     // 27
    void horizontalTetrisOut();                            // 28
    void blockTetrisOut();                                 // 29
    void spriteOut(uint8_t firstFrame, uint8_t frameHold); // 32..61

  private:
    struct SegmentLayout {
        bool empty = true;       // nothing to show: the line is finished
        bool finished = false;   // the segment runs to the end of the line
        int32_t nextByte = 0;    // byte after the last one rendered
        int32_t lastByte = 0;    // last byte of the segment
        int width = 0;           // width of the segment (64 or more: it scrolls)
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
    void squeezePass(std::array<uint8_t, 64>& columns) const;
    void scrollStep(uint8_t column);

    const LineSource& lines_;
    GlyphRenderer& glyphs_;
    const Clock& clock_;
    FrameSink* sink_ = nullptr;
};

} // namespace vorelux::preview

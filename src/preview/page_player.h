#pragma once
// Playing a page as a panel would: line after line, each line cut into
// segments that fit the panel's columns, brought in by the line's entry
// effect, held, scrolled when wider than the panel and taken out by its exit
// effect, with live fields shown in their place.
//
// The player is plain synchronous code that knows nothing of time or windows:
// every frame goes to FrameSink::show(screen, cycles), one cycle being
// 8/700 s. The sink decides how long a frame stays (a trace records it, the
// editor waits until an absolute deadline) and whether the preview goes on.
//
// Threading: the host may run `run` on a worker thread. requestStop() and
// requestLineSkip() may be called from any thread; the player reads line
// bytes only through LineSource::line(), which returns a copy (the host makes
// that copy under its own lock). GlyphRenderer keeps the conversion buffer
// as its state, so a player on a worker thread gets a renderer of its own.
// The screen image is passed to show() by reference for the call only: a
// sink that hands the frame to another thread copies the image.
#include "model/line.h"
#include "render/clock.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vorelux::preview {

// Where the player reads the lines of the page being played.
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

// Thrown by a sink to unwind a stopped preview; the player catches it.
struct PreviewStopped {};

enum class RunResult {
    NothingToPlay, // no line holds more than its three header bytes (prompt NothingToPreview)
    Stopped,       // a stop request ended the preview
    RoundsDone,    // the requested number of rounds was played
};

// A host that knows values the editor does not (a panel with its own day
// counters and temperature adjustments) may draw a live field itself: it
// returns true when it drew `code` into the screen, which is then held like
// any other field; false leaves the field to the player.
using LiveFieldDrawer = std::function<bool(uint8_t code, PanelImage& screen)>;

struct PlayOptions {
    int rounds = 0; // 0: until stopped; otherwise every line is played `rounds` times
    LiveFieldDrawer drawLiveField = nullptr; // none: the player draws every field
};

// True when some line holds content (more than its three header bytes).
bool pageHasContent(const LineSource& lines);

class PreviewEngine;

// Plays a page; the host keeps it to stop it or skip lines from another thread.
class PagePlayer {
  public:
    PagePlayer(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock);
    ~PagePlayer();
    PagePlayer(const PagePlayer&) = delete;
    PagePlayer& operator=(const PagePlayer&) = delete;

    // Plays the page from its first line.
    RunResult run(FrameSink& sink, const PlayOptions& options = {});

    // Thread-safe requests from the host.
    void requestStop();
    // -1: go to the previous line, +1: the next one.
    void requestLineSkip(int direction);
    bool running() const;

  private:
    std::unique_ptr<PreviewEngine> engine_;
};

// Plays a page once through a player of its own.
RunResult runPage(const LineSource& lines, GlyphRenderer& glyphs, const Clock& clock,
                  FrameSink& sink, const PlayOptions& options = {});

// The first segment of a line, composed the way the player does (centred when
// it fits); the image includes the spare column.
struct ComposedSegment {
    PanelImage image{};
    int startColumn = 0;
};
ComposedSegment composeFirstSegment(const LineStream& line, GlyphRenderer& glyphs);

// Plays effect n (1..61) alone on `segment`: an entry brings it onto a dark
// panel, an exit takes it off a panel showing it. NothingToPlay for an n out
// of range.
RunResult playEffect(bool entry, int n, const PanelImage& segment, GlyphRenderer& glyphs,
                     FrameSink& sink);

} // namespace vorelux::preview

#pragma once
// Runs the preview engine of the main window on a worker thread. Every frame
// is copied and handed to the user-interface thread (queued); the worker then
// sleeps until the frame's absolute deadline on the pacing clock. A stop
// wakes the worker at once and unwinds the engine; frames still queued from
// a stopped play are dropped, so nothing is drawn after a stop. The engine
// reads lines from a snapshot the window refreshes after every edit; the
// snapshot is copied under a short lock, so neither thread waits long.
#include "app/preview_pacer.h"
#include "model/line.h"
#include "preview/page_player.h"
#include "render/clock.h"
#include "render/glyphs.h"
#include "render/panel.h"

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace vorelux::app {

// The lines of the page being played, as last handed over by the window.
class SnapshotLineSource final : public preview::LineSource {
  public:
    int lineCount() const override;
    // A copy of line `index`; an empty line when the page has fewer lines now.
    LineStream line(int index) const override;
    void set(std::vector<LineStream> lines);

  private:
    mutable std::mutex mutex_;
    std::vector<LineStream> lines_;
};

class PreviewHost final : public QObject {
    Q_OBJECT
  public:
    explicit PreviewHost(QObject* parent = nullptr);
    ~PreviewHost() override;

    // Called on the user-interface thread, only for the play in progress.
    std::function<void(const PanelImage& screen, uint8_t cycles)> onFrame;
    std::function<void(int index)> onLine;
    // A play that ended by itself (after its rounds).
    std::function<void(preview::RunResult)> onFinished;

    // Starts playing `lines` from the first, round after round (or `rounds`
    // rounds). False, and nothing starts, when no line holds content.
    bool start(std::vector<LineStream> lines, int rounds = 0);
    // The page changed while it plays: the engine reads the new lines from
    // its next line on.
    void updateLines(std::vector<LineStream> lines);
    // Stops the play: no frame is delivered after this returns. The worker is
    // woken at once and joined (it unwinds within microseconds).
    void stop();
    // -1 previous line, +1 next line; takes effect when the current wait ends.
    void requestLineSkip(int direction);
    bool running() const { return running_; }

    // The clock the frames are paced on (nullptr: the steady clock). Only
    // while no play runs.
    void setPacingClock(PacingClock* clock);
    // The clock live fields show (nullptr: the computer's clock).
    void setClock(const Clock* clock);

    // Frames delivered to onFrame, and the cycles paced, since the last start.
    uint64_t framesDelivered() const { return delivered_; }
    uint64_t cyclesPaced() const { return pacer_.totalCycles(); }

  private:
    class Sink;
    void join();
    void deliverFrame(uint64_t run, const PanelImage& screen, uint8_t cycles);
    void deliverLine(uint64_t run, int index);
    void finished(uint64_t run, preview::RunResult result);

    SteadyPacingClock steady_;
    SystemClock systemClock_;
    const Clock* clock_ = &systemClock_;
    Pacer pacer_{steady_};
    SnapshotLineSource lines_;
    GlyphRenderer glyphs_; // the worker's own conversion buffer
    std::unique_ptr<preview::PagePlayer> engine_;
    std::unique_ptr<Sink> sink_;
    std::thread worker_;
    uint64_t run_ = 0; // user-interface thread only
    bool running_ = false;
    uint64_t delivered_ = 0;
};

} // namespace vorelux::app

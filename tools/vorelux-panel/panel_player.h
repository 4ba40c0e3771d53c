#pragma once
// Plays what the panel displays, on a thread of its own, with the editor's
// preview engine: the pages chosen for display one round each in turn, its
// number on request, nothing while switched off. Each frame is handed to
// `out` on the player thread and stays for its cycles, a cycle lasting
// 8/700 s at the default speed 9 and in proportion at the others (speed 2
// is 4.5 times faster, 30 is 3.3 times slower). Waits end at absolute
// deadlines, so the play neither drifts nor busy-waits; a change of what is
// displayed interrupts the frame being waited on.
#include "panel.h"
#include "render/panel.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace vorelux::panel {

class PanelPlayer {
  public:
    using FrameOut = std::function<void(const PanelImage&)>;

    PanelPlayer(Panel& panel, FrameOut out);
    ~PanelPlayer();
    PanelPlayer(const PanelPlayer&) = delete;
    PanelPlayer& operator=(const PanelPlayer&) = delete;

    void start();
    // Stops and joins the thread; no frame is handed out afterwards.
    void stop();
    // The panel changed: when what is displayed differs from what is playing,
    // the play starts again with the new plan.
    void replan();

    // Seconds one cycle lasts at `speed` (2..30).
    static double cycleSeconds(int speed);

    // Frames handed out so far, and the cycles they stayed (for timing).
    uint64_t framesShown() const { return frames_; }
    uint64_t cyclesShown() const { return cycles_; }

  private:
    struct PlayKey {
        DisplayPlan plan;
        std::vector<std::vector<uint8_t>> contents;
        bool operator==(const PlayKey&) const = default;
    };
    class Sink;

    PlayKey currentKey() const;
    void run();
    // Shows a still image until something changes (or a second passes, for
    // the schedules). False when quitting.
    void holdStill(const PanelImage& image, uint64_t generation);
    bool interrupted(uint64_t generation) const {
        return quit_ || generation_.load() != generation;
    }

    Panel& panel_;
    FrameOut out_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::atomic<bool> quit_{false};
    std::atomic<uint64_t> generation_{0};
    std::atomic<uint64_t> frames_{0};
    std::atomic<uint64_t> cycles_{0};
    PlayKey playing_;
};

} // namespace vorelux::panel

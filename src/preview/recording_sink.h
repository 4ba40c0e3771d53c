#pragma once
// A frame sink that records every frame (cycles and image) without waiting:
// the preview is deterministic for a fixed clock, so traces and tests compare
// frame sequences exactly.
#include "preview/page_player.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace vorelux::preview {

struct Frame {
    uint8_t cycles = 0;
    PanelImage screen{};
};

class RecordingSink : public FrameSink {
  public:
    // Called after each frame is recorded with its index; return false to
    // stop the preview there (the host's "Parar").
    std::function<bool(size_t frameIndex)> onFrame;
    std::function<void(int line)> onLine;

    bool show(const PanelImage& screen, uint8_t cycles) override {
        frames.push_back(Frame{cycles, screen});
        return onFrame ? onFrame(frames.size() - 1) : true;
    }
    void lineStarted(int index) override {
        lines.push_back(index);
        if (onLine) onLine(index);
    }

    long totalCycles() const {
        long total = 0;
        for (const Frame& f : frames) total += f.cycles;
        return total;
    }

    std::vector<Frame> frames;
    std::vector<int> lines;
};

} // namespace vorelux::preview

#pragma once
// Animated GIF of a preview: the panel's LEDs as round dots on black, each
// frame lasting its cycles x 8/700 s. GIF delays are whole centiseconds; the
// rounding error is carried from frame to frame so the total stays exact.
#include "preview/engine.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelux::preview {

constexpr int GifMinScale = 2;
constexpr int GifMaxScale = 40;

// Centiseconds of each frame of `cycles`, the rounding carried forward: the
// sum of the first k delays is always the rounded duration of the first k frames.
std::vector<int> gifDelays(const std::vector<int>& cycles);

class GifPreviewWriter : public FrameSink {
  public:
    GifPreviewWriter();
    ~GifPreviewWriter() override;

    // Creates the file; `scale` is the size of one LED cell in pixels.
    bool open(const std::string& path, int scale, std::string& error);
    // Frames shown for 0 cycles are never seen and are left out; equal
    // consecutive frames become one.
    bool show(const PanelImage& screen, uint8_t cycles) override;
    // Writes the last frame and closes the file.
    bool finish(std::string& error);

    int framesWritten() const { return framesWritten_; }
    long centiseconds() const { return emittedCs_; }
    long cycles() const { return cycles_; }

  private:
    bool emit(const PanelImage& image, long cycles);
    void paint(const PanelImage& image, std::vector<uint8_t>& pixels) const;

    struct Gif;
    std::unique_ptr<Gif> gif_;
    int scale_ = 10;
    bool havePending_ = false;
    PanelImage pending_{};
    long pendingCycles_ = 0;
    bool haveShown_ = false;
    PanelImage shown_{};
    long cycles_ = 0;
    long emittedCs_ = 0;
    int framesWritten_ = 0;
    bool failed_ = false;
    std::string error_;
};

} // namespace vorelux::preview

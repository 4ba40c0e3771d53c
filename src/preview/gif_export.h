#pragma once
// Animated GIF of a preview, timed so that viewers play it at the panel's
// speed. One cycle is 8/700 s; GIF delays are whole centiseconds, and
// browsers raise any delay under 2 cs to 10 cs, so:
//  - frames shorter than 2 cs are merged with the frames after them, and the
//    merged frame shows what the panel shows at the end of the span;
//  - every frame ends at the rounded nominal time of its end, so the running
//    sum of the delays is never more than half a centisecond off;
//  - frames that change nothing are added to the previous frame's delay.
// A frame writes only the rectangle that changed, with the unchanged pixels
// in it transparent when that makes it smaller.
#include "preview/engine.h"
#include "preview/led_picture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vorelux::preview {

constexpr int GifMinScale = LedMinScale;
constexpr int GifMaxScale = LedMaxScale;
constexpr int GifMinDelay = 2; // centiseconds

// One frame of the GIF and how long it stays.
struct GifFrame {
    PanelImage image{};
    int centiseconds = 0;
};

// Turns the preview's frames into GIF frames (the timing rules above).
class GifTiming {
  public:
    // A frame shown for `cycles`; GIF frames completed by it go to `out`.
    void add(const PanelImage& image, long cycles, std::vector<GifFrame>& out);
    // The end of the animation: the last frames go to `out`. A last span
    // shorter than 2 cs lengthens the frame before it.
    void finish(std::vector<GifFrame>& out);
    long cycles() const { return cycles_; }

  private:
    void complete(const PanelImage& image, int centiseconds, std::vector<GifFrame>& out);

    long cycles_ = 0;
    long endCs_ = 0; // where the last completed frame ends
    bool haveSpan_ = false;
    PanelImage span_{}; // the last frame of the span not yet completed
    bool haveHeld_ = false;
    GifFrame held_; // completed, kept back to merge a next equal frame into
};

// Rounded centiseconds of `cycles` cycles (half up).
long cyclesToCentiseconds(long cycles);

// Writes the GIF through a temporary file beside the target that finish()
// renames into place: a failure or an abandoned export leaves nothing
// under the target's name. Errors are the system's reason.
class GifPreviewWriter : public FrameSink {
  public:
    GifPreviewWriter();
    ~GifPreviewWriter() override; // removes the temporary file unless finished

    // `scale` is the size of one LED cell in pixels.
    bool open(const std::string& path, int scale, std::string& error, LedLook look = LedLook::Dots);
    // Frames shown for 0 cycles are never seen and are left out.
    bool show(const PanelImage& screen, uint8_t cycles) override;
    // Writes the last frames, closes and renames the file.
    bool finish(std::string& error);
    // Gives up the export: the temporary file is removed.
    void abandon();

    int framesWritten() const { return framesWritten_; }
    long centiseconds() const { return emittedCs_; }
    long cycles() const { return timing_.cycles(); }

  private:
    struct Output;
    bool writeFrames(std::vector<GifFrame>& frames);
    bool writeFrame(const PanelImage& image, int delay);

    std::unique_ptr<Output> out_;
    std::unique_ptr<LedPainter> painter_;
    GifTiming timing_;
    std::vector<GifFrame> ready_;
    bool haveShown_ = false;
    LedPicture shown_, next_;
    std::vector<uint8_t> rect_, variant_, encoded_;
    long emittedCs_ = 0;
    int framesWritten_ = 0;
};

} // namespace vorelux::preview

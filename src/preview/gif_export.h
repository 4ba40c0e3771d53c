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
#include "preview/led_picture.h"
#include "preview/page_player.h"

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

// Writes the GIF as the safe file writer writes (files/file_io.h): links
// followed, the target's mode and owner kept, devices, pipes and folders
// refused, the data streamed to a temporary file beside the target that
// finish() renames into place. A failure or an abandoned export removes the
// temporary file and leaves the target as it was. Errors are the system's
// reason.
class GifPreviewWriter : public FrameSink {
  public:
    GifPreviewWriter();
    ~GifPreviewWriter() override; // removes the temporary file unless finished

    // `scale` is the size of one LED cell in pixels; the LEDs shine in `colour`.
    bool open(const std::string& path, int scale, std::string& error, LedLook look = LedLook::Dots,
              LedColour colour = DefaultLedColour);
    // Frames shown for 0 cycles are never seen and are left out.
    bool show(const PanelImage& screen, uint8_t cycles) override;
    // Writes the last frames, closes and renames the file.
    bool finish(std::string& error);
    // Gives up the export: the temporary file is removed.
    void abandon();

    // The temporary file while the export runs (for a signal handler that
    // must remove it); empty otherwise.
    const std::string& temporaryPath() const;

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
    long emittedCs_ = 0;
    int framesWritten_ = 0;
};

// Past this size an export asks first (the editor) or needs --force (the
// command line).
constexpr uint64_t GifSizeLimit = 500ull * 1000 * 1000;

// About how many bytes the GifPreviewWriter writes for the same frames, at
// a small part of its cost: every frame is timed as the writer times it (no
// painting), while at most `samples` GIF frames, evenly spread over the
// whole export, are painted and encoded against the frame before them; the
// file's size is the first frame's, plus the others' mean times their
// number. Exact when the export has no more frames than samples.
class GifSizeEstimate : public FrameSink {
  public:
    static constexpr int DefaultSamples = 48;

    GifSizeEstimate(int scale, LedLook look, int samples = DefaultSamples);
    bool show(const PanelImage& screen, uint8_t cycles) override;
    // Ends the frames; the estimated size of the file.
    uint64_t bytes();
    long cycles() const { return timing_.cycles(); }

  private:
    struct Sample {
        long index = 0;
        PanelImage before{}, image{};
    };
    void takeReady();
    void take(const PanelImage& image);

    LedPainter painter_;
    size_t samples_;
    GifTiming timing_;
    std::vector<GifFrame> ready_;
    long frames_ = 0, stride_ = 1;
    PanelImage last_{};
    std::vector<Sample> kept_;
};

} // namespace vorelux::preview

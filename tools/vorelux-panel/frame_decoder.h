#pragma once
// The panel side of the serial wire: turns the bytes a panel receives into
// parameter frames (panel, 98, parameter, value) and page frames (panel, 150,
// page + 3, the page's lines, 16 or 17).
//
// The wire carries no length and no checksum, so the decoder resynchronises
// on structure and on time:
//  - a frame starts with a panel number and a command byte; a parameter frame
//    must name a known parameter, a page frame a page 3..10 whose content
//    starts a line (0xFF). Anything else is noise: the first byte is dropped
//    and the decoder looks again from the next one;
//  - inside a page, the two effect bytes after each 0xFF and the code after a
//    drawing escape (31) are data, so a drawing numbered 16 or 17 does not end
//    the page; the first other 16 or 17 does;
//  - bytes of one frame follow each other within a few tens of milliseconds.
//    A frame whose next byte does not come within `frameTimeoutMs` was cut
//    off (a cable pulled, a transfer abandoned): it is dropped whole, so it
//    cannot swallow the frames that follow.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vorelux::panel {

constexpr uint8_t CmdParameter = 98;
constexpr uint8_t CmdPage = 150;
constexpr uint8_t PageEndPlain = 16;
constexpr uint8_t PageEndSelected = 17;
// A page is far below this; a longer "page" is noise that happened to look like one.
constexpr size_t MaxPageContent = 4096;
constexpr int DefaultFrameTimeoutMs = 500;

struct ParameterFrame {
    uint8_t panel = 0;
    uint8_t parameter = 0;
    uint8_t value = 0;
    bool operator==(const ParameterFrame&) const = default;
};

struct PageFrame {
    uint8_t panel = 0;
    uint8_t page = 0; // 0..7 (the wire carries page + 3)
    std::vector<uint8_t> content;
    uint8_t end = PageEndPlain; // 16, or 17 for the page chosen for display
    bool operator==(const PageFrame&) const = default;
};

// True for the parameter codes a panel knows.
bool isKnownParameter(uint8_t code);

class FrameDecoder {
  public:
    struct Handlers {
        std::function<void(const ParameterFrame&)> parameter;
        std::function<void(const PageFrame&)> page;
        // `count` bytes were thrown away; `cutOff` when they were the start of
        // a frame that never ended, otherwise noise between frames.
        std::function<void(size_t count, bool cutOff)> discarded;
    };

    explicit FrameDecoder(Handlers handlers, int frameTimeoutMs = DefaultFrameTimeoutMs);

    // Bytes received at `nowMs` (any monotonic millisecond clock).
    void feed(const uint8_t* data, size_t size, int64_t nowMs);
    void feed(const std::vector<uint8_t>& data, int64_t nowMs) {
        feed(data.data(), data.size(), nowMs);
    }
    // Called now and then while nothing arrives: drops a frame that has
    // waited too long for its next byte.
    void idle(int64_t nowMs);

    // Bytes held for a frame not yet complete.
    size_t pending() const { return buffer_.size(); }

  private:
    enum class Parse { Frame, NeedMore, Noise };
    Parse tryFrame();
    void scan();
    void flushNoise();

    Handlers handlers_;
    int timeoutMs_;
    std::vector<uint8_t> buffer_;
    size_t noise_ = 0;    // dropped bytes not yet reported
    bool cutOff_ = false; // some of them were a frame cut off
    int64_t lastByteMs_ = 0;
};

} // namespace vorelux::panel

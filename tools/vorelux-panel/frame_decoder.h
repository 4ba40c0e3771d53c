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
//  - a page holds at most MaxPageContent bytes: once the next piece of a page
//    (a letter, a drawing pair, a line header) would leave no room for its end
//    byte within that, it is no page, and the decoder resynchronises at once;
//  - bytes of one frame follow each other within a few tens of milliseconds.
//    A frame whose next byte does not come within `frameTimeoutMs` was cut
//    off (a cable pulled, a transfer abandoned): it is dropped whole, so it
//    cannot swallow the frames that follow.
//
// Decoding takes time in proportion to the bytes fed, whatever their content
// and however they are split, and the decoder holds less than one frame
// (MaxFrameBytes) between calls: a line that brings megabytes of noise costs
// no more per byte than one bringing frames.
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
// The longest frame: panel, command, page, the page's content, its end byte.
constexpr size_t MaxFrameBytes = 3 + MaxPageContent + 1;
// feed() takes bytes in slices of at most this many, so a large read needs no
// more room than a small one: the decoder's storage stays within
// MaxFrameBytes + DecodeSlice.
constexpr size_t DecodeSlice = 64 * 1024;

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

    // Bytes held for a frame not yet complete (always fewer than MaxFrameBytes).
    size_t pending() const { return buffer_.size() - head_; }
    // Bytes of storage the decoder holds.
    size_t storage() const { return buffer_.capacity(); }

  private:
    enum class Parse { Frame, NeedMore, Noise };
    Parse tryFrame();
    Parse tryPage();
    void scan();
    void dropFront();
    void compact();
    void flushNoise();

    Handlers handlers_;
    int timeoutMs_;
    // The bytes not yet decoded are buffer_[head_, end); the bytes before
    // head_ are decoded or dropped, and are removed before more are added.
    std::vector<uint8_t> buffer_;
    size_t head_ = 0;
    size_t noise_ = 0;    // dropped bytes not yet reported
    bool cutOff_ = false; // some of them were a frame cut off
    int64_t lastByteMs_ = 0;

    // How far page content has been read, shared by every page that starts
    // within it. Content read from a line start (0xFF) splits into the same
    // pieces whichever earlier line start the reading began at, as every 0xFF
    // it passes starts a piece of its own (a 0xFF among a line's effect bytes
    // makes it no page; after a drawing escape it is not taken as the code).
    // So a page starting at a line start the reading has passed goes on from
    // where the reading stopped instead of reading the same bytes again, and
    // a page starting at or before the place where the content broke is
    // broken too. Each byte is read once.
    bool readingOk_ = false; // contentAt_ is where reading goes on
    size_t contentAt_ = 0;   // the next piece to read, or where the content broke
};

} // namespace vorelux::panel

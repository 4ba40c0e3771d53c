#include "frame_decoder.h"

#include <algorithm>

namespace vorelux::panel {

bool isKnownParameter(uint8_t code) {
    return code == 0 || (code >= 7 && code <= 13) || (code >= 16 && code <= 31) ||
           (code >= 42 && code <= 51) || (code >= 64 && code <= 70) || code >= 252;
}

FrameDecoder::FrameDecoder(Handlers handlers, int frameTimeoutMs)
    : handlers_(std::move(handlers)), timeoutMs_(frameTimeoutMs) {
    // Less than a frame is held between slices: this is all the room ever needed.
    buffer_.reserve(MaxFrameBytes + DecodeSlice);
}

void FrameDecoder::feed(const uint8_t* data, size_t size, int64_t nowMs) {
    if (size == 0) return;
    idle(nowMs);
    lastByteMs_ = nowMs;
    while (size > 0) {
        const size_t n = std::min(size, DecodeSlice);
        compact();
        buffer_.insert(buffer_.end(), data, data + n);
        data += n;
        size -= n;
        scan();
    }
    if (pending() == 0) flushNoise(); // the dropped bytes led to no frame
}

void FrameDecoder::idle(int64_t nowMs) {
    if (pending() == 0 || nowMs - lastByteMs_ <= timeoutMs_) return;
    // The frame at the front will never be completed: it is not one. Slide past
    // its first byte and look again, so complete frames behind it survive.
    while (pending() > 0) {
        dropFront();
        cutOff_ = true;
        scan();
    }
    flushNoise();
}

void FrameDecoder::dropFront() {
    ++head_;
    ++noise_;
}

void FrameDecoder::compact() {
    if (head_ == 0) return;
    buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(head_));
    if (contentAt_ >= head_) {
        contentAt_ -= head_;
    } else {
        // Behind every byte still held: no page can start within that reading.
        readingOk_ = false;
        contentAt_ = 0;
    }
    head_ = 0;
}

void FrameDecoder::flushNoise() {
    if (noise_ == 0) return;
    const size_t n = noise_;
    const bool cut = cutOff_;
    noise_ = 0;
    cutOff_ = false;
    if (handlers_.discarded) handlers_.discarded(n, cut);
}

void FrameDecoder::scan() {
    while (pending() > 0) {
        // A frame's second byte is its command: bytes before anything else
        // that could be one are noise, passed over without a closer look.
        const uint8_t* b = buffer_.data();
        const size_t end = buffer_.size();
        size_t i = head_;
        while (i + 1 < end && b[i + 1] != CmdParameter && b[i + 1] != CmdPage) ++i;
        noise_ += i - head_;
        head_ = i;

        const Parse p = tryFrame();
        if (p == Parse::NeedMore) return;
        if (p == Parse::Noise) dropFront();
    }
}

FrameDecoder::Parse FrameDecoder::tryFrame() {
    const uint8_t* b = buffer_.data() + head_;
    const size_t n = pending();
    if (n < 2) return Parse::NeedMore;
    if (b[1] == CmdParameter) {
        if (n >= 3 && !isKnownParameter(b[2])) return Parse::Noise;
        if (n < 4) return Parse::NeedMore;
        const ParameterFrame frame{b[0], b[2], b[3]};
        head_ += 4;
        flushNoise();
        if (handlers_.parameter) handlers_.parameter(frame);
        return Parse::Frame;
    }
    if (b[1] != CmdPage) return Parse::Noise;
    if (n < 3) return Parse::NeedMore;
    if (b[2] < 3 || b[2] > 10) return Parse::Noise;
    if (n < 4) return Parse::NeedMore;
    if (b[3] != 0xFF) return Parse::Noise;
    return tryPage();
}

FrameDecoder::Parse FrameDecoder::tryPage() {
    const size_t start = head_ + 3; // the content's first byte, a line start
    if (start > contentAt_) {
        readingOk_ = true; // a page beyond all content read so far
        contentAt_ = start;
    } else if (!readingOk_) {
        return Parse::Noise; // it runs into the broken content ahead
    }
    const uint8_t* b = buffer_.data();
    const size_t end = buffer_.size();
    size_t i = contentAt_;
    for (;;) {
        // Content before this piece: within the limit, as every piece read
        // so far fitted the page that started earliest.
        const size_t used = i - start;
        if (i == end) {
            contentAt_ = i;
            return Parse::NeedMore;
        }
        const uint8_t c = b[i];
        if (c == PageEndPlain || c == PageEndSelected) {
            PageFrame frame;
            frame.panel = b[head_];
            frame.page = uint8_t(b[head_ + 2] - 3);
            frame.content.assign(b + start, b + i);
            frame.end = c;
            contentAt_ = i;
            head_ = i + 1;
            flushNoise();
            if (handlers_.page) handlers_.page(frame);
            return Parse::Frame;
        }
        size_t len = 1;
        if (c == 0xFF) {
            // A line starts: its two effect bytes are data, whatever they
            // hold, but never a line start.
            if ((i + 1 < end && b[i + 1] == 0xFF) || (i + 2 < end && b[i + 2] == 0xFF)) {
                readingOk_ = false;
                contentAt_ = i;
                return Parse::Noise;
            }
            len = 3;
        } else if (c == 31) {
            // A drawing pair: the code is data (drawings 16 and 17 exist). An
            // escape before a line start stands alone.
            if (i + 1 == end) {
                contentAt_ = i;
                return used + 1 > MaxPageContent ? Parse::Noise : Parse::NeedMore;
            }
            len = b[i + 1] == 0xFF ? 1 : 2;
        }
        contentAt_ = i;
        // The end byte must still fit behind this piece.
        if (used + len > MaxPageContent) return Parse::Noise;
        if (i + len > end) return Parse::NeedMore;
        i += len;
    }
}

} // namespace vorelux::panel

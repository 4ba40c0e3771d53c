#include "frame_decoder.h"

namespace vorelux::panel {

bool isKnownParameter(uint8_t code) {
    return code == 0 || (code >= 7 && code <= 13) || (code >= 16 && code <= 31) ||
           (code >= 42 && code <= 51) || (code >= 64 && code <= 70) || code >= 252;
}

FrameDecoder::FrameDecoder(Handlers handlers, int frameTimeoutMs)
    : handlers_(std::move(handlers)), timeoutMs_(frameTimeoutMs) {}

void FrameDecoder::feed(const uint8_t* data, size_t size, int64_t nowMs) {
    if (size == 0) return;
    idle(nowMs);
    buffer_.insert(buffer_.end(), data, data + size);
    lastByteMs_ = nowMs;
    scan();
}

void FrameDecoder::idle(int64_t nowMs) {
    if (buffer_.empty() || nowMs - lastByteMs_ <= timeoutMs_) return;
    // The frame at the front will never be completed: it is not one. Slide past
    // its first byte and look again, so complete frames behind it survive.
    while (!buffer_.empty()) {
        buffer_.erase(buffer_.begin());
        ++noise_;
        cutOff_ = true;
        scan();
    }
    flushNoise();
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
    while (!buffer_.empty()) {
        const Parse p = tryFrame();
        if (p == Parse::NeedMore) return;
        if (p == Parse::Noise) {
            buffer_.erase(buffer_.begin());
            ++noise_;
        }
    }
    flushNoise(); // nothing is pending: the dropped bytes led to no frame
}

FrameDecoder::Parse FrameDecoder::tryFrame() {
    const std::vector<uint8_t>& b = buffer_;
    if (b.size() < 2) return Parse::NeedMore;
    if (b[1] == CmdParameter) {
        if (b.size() >= 3 && !isKnownParameter(b[2])) return Parse::Noise;
        if (b.size() < 4) return Parse::NeedMore;
        const ParameterFrame frame{b[0], b[2], b[3]};
        buffer_.erase(buffer_.begin(), buffer_.begin() + 4);
        flushNoise();
        if (handlers_.parameter) handlers_.parameter(frame);
        return Parse::Frame;
    }
    if (b[1] != CmdPage) return Parse::Noise;
    if (b.size() < 3) return Parse::NeedMore;
    if (b[2] < 3 || b[2] > 10) return Parse::Noise;
    if (b.size() < 4) return Parse::NeedMore;
    if (b[3] != 0xFF) return Parse::Noise;

    size_t i = 3;
    while (i < b.size()) {
        if (i - 3 > MaxPageContent) return Parse::Noise;
        const uint8_t c = b[i];
        if (c == 0xFF) {
            // A line starts: its two effect bytes are data, whatever they hold.
            if (i + 2 >= b.size()) return Parse::NeedMore;
            if (b[i + 1] == 0xFF || b[i + 2] == 0xFF) return Parse::Noise;
            i += 3;
        } else if (c == 31) {
            // A drawing pair: the code is data (drawings 16 and 17 exist).
            if (i + 1 >= b.size()) return Parse::NeedMore;
            i += b[i + 1] == 0xFF ? 1 : 2;
        } else if (c == PageEndPlain || c == PageEndSelected) {
            PageFrame frame;
            frame.panel = b[0];
            frame.page = uint8_t(b[2] - 3);
            frame.content.assign(b.begin() + 3, b.begin() + std::ptrdiff_t(i));
            frame.end = c;
            buffer_.erase(buffer_.begin(), buffer_.begin() + std::ptrdiff_t(i + 1));
            flushNoise();
            if (handlers_.page) handlers_.page(frame);
            return Parse::Frame;
        } else {
            ++i;
        }
    }
    return Parse::NeedMore;
}

} // namespace vorelux::panel

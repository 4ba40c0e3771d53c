#include "preview/gif_export.h"

#include "files/file_io.h"

#include <algorithm>
#include <cstring>

namespace vorelux::preview {

namespace {

constexpr int MaxGifDelay = 65535; // centiseconds in a delay field
constexpr int MaxLzwCode = 4095;

// Bits of the colour table: room for the picture's colours (the LED
// colour's lit and dim shades among them) and the transparent index after them.
int tableBits(size_t colours) {
    const size_t needed = colours + 1;
    int bits = 1;
    while ((size_t(1) << bits) < needed) ++bits;
    return bits;
}

void putWord(std::vector<uint8_t>& out, int value) {
    out.push_back(uint8_t(value & 0xFF));
    out.push_back(uint8_t((value >> 8) & 0xFF));
}

// GIF's LZW: variable-width codes packed from the low bit, in sub-blocks of
// at most 255 bytes. `next` is the dictionary as a child table.
class LzwEncoder {
  public:
    void encode(const uint8_t* pixels, size_t count, int minCodeSize, std::vector<uint8_t>& out) {
        const int clear = 1 << minCodeSize, end = clear + 1;
        alphabet_ = size_t(clear);
        next_.assign(size_t(MaxLzwCode + 1) * alphabet_, 0);
        raw_.clear();
        acc_ = 0, bits_ = 0;
        int codeSize = minCodeSize + 1, lastCode = end;
        put(clear, codeSize);
        int current = count ? pixels[0] : 0;
        for (size_t i = 1; i < count; ++i) {
            uint16_t& child = next_[size_t(current) * alphabet_ + pixels[i]];
            if (child) {
                current = child;
                continue;
            }
            put(current, codeSize);
            child = uint16_t(++lastCode);
            if (lastCode >= (1 << codeSize)) ++codeSize;
            if (lastCode == MaxLzwCode) {
                put(clear, codeSize);
                std::fill(next_.begin(), next_.end(), uint16_t(0));
                codeSize = minCodeSize + 1;
                lastCode = end;
            }
            current = pixels[i];
        }
        if (count) put(current, codeSize);
        put(end, codeSize);
        if (bits_ > 0) raw_.push_back(uint8_t(acc_));
        out.push_back(uint8_t(minCodeSize));
        for (size_t at = 0; at < raw_.size(); at += 255) {
            const size_t n = std::min<size_t>(255, raw_.size() - at);
            out.push_back(uint8_t(n));
            out.insert(out.end(), raw_.begin() + std::ptrdiff_t(at),
                       raw_.begin() + std::ptrdiff_t(at + n));
        }
        out.push_back(0);
    }

  private:
    void put(int code, int size) {
        acc_ |= uint32_t(code) << bits_;
        bits_ += size;
        for (; bits_ >= 8; bits_ -= 8, acc_ >>= 8) raw_.push_back(uint8_t(acc_));
    }

    size_t alphabet_ = 0;
    std::vector<uint16_t> next_;
    std::vector<uint8_t> raw_;
    uint32_t acc_ = 0;
    int bits_ = 0;
};

struct Rect {
    int left = 0, top = 0, width = 0, height = 0;
};

// The smallest rectangle holding every pixel that differs.
Rect changedRect(const LedPicture& before, const LedPicture& after) {
    const int w = after.width;
    int left = w, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < after.height; ++y) {
        const uint8_t* a = &before.pixels[size_t(y) * size_t(w)];
        const uint8_t* b = &after.pixels[size_t(y) * size_t(w)];
        const auto first = std::mismatch(a, a + w, b);
        if (first.first == a + w) continue;
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, int(first.first - a));
        int last = w - 1;
        while (a[last] == b[last]) --last;
        right = std::max(right, last);
    }
    if (top < 0) return {0, 0, 1, 1}; // nothing changed: one transparent pixel
    return {left, top, right - left + 1, bottom - top + 1};
}

// The logical screen, the colour table and the loop extension.
void appendHeader(const LedPainter& painter, std::vector<uint8_t>& b) {
    const char magic[] = "GIF89a";
    b.assign(magic, magic + 6);
    putWord(b, painter.width());
    putWord(b, painter.height());
    const int bits = tableBits(painter.palette().size());
    b.push_back(uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1))); // global colour table
    b.push_back(0);                                              // background: black
    b.push_back(0);                                              // square pixels
    const std::vector<uint32_t>& palette = painter.palette();
    for (int i = 0; i < (1 << bits); ++i) {
        const uint32_t c = size_t(i) < palette.size() ? palette[size_t(i)] : 0;
        b.push_back(uint8_t(c >> 16));
        b.push_back(uint8_t(c >> 8));
        b.push_back(uint8_t(c));
    }
    // Loop forever.
    const uint8_t loop[] = {0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                            'E',  '2',  '.', '0', 3,   1,   0,   0,   0};
    b.insert(b.end(), std::begin(loop), std::end(loop));
}

// What the panel shows of a screen: no column 64, no bit 7.
PanelImage visiblePart(const PanelImage& screen) {
    PanelImage image = screen;
    image[size_t(PanelColumns)] = 0;
    for (auto& c : image) c &= 0x7F;
    return image;
}

// The delays a frame of `centiseconds` is written as: none over a delay
// field's maximum, and a last piece under 2 cs goes into the piece before.
template <class Piece> void forEachPiece(int centiseconds, Piece&& piece) {
    for (int left = centiseconds; left > 0;) {
        const int delay = std::min(left, MaxGifDelay);
        const int part =
            left - delay > 0 && left - delay < GifMinDelay ? delay - GifMinDelay : delay;
        if (!piece(part)) return;
        left -= part;
    }
}

// One frame's control and image blocks: the rectangle that changed since
// `before` (all of `after` when there is no frame before), as it is or,
// when that is smaller, with the unchanged pixels transparent.
void appendFrame(const LedPicture* before, const LedPicture& after, size_t colours, int delay,
                 std::vector<uint8_t>& b) {
    const Rect r = before ? changedRect(*before, after) : Rect{0, 0, after.width, after.height};
    const uint8_t transparent = uint8_t(colours);
    const int minCodeSize = std::max(2, tableBits(colours));
    std::vector<uint8_t> rect, variant;
    for (int y = r.top; y < r.top + r.height; ++y) {
        for (int x = r.left; x < r.left + r.width; ++x) {
            const uint8_t now = after.at(x, y);
            rect.push_back(now);
            if (before) variant.push_back(now == before->at(x, y) ? transparent : now);
        }
    }
    LzwEncoder lzw;
    std::vector<uint8_t> opaque, clear;
    lzw.encode(rect.data(), rect.size(), minCodeSize, opaque);
    bool useTransparency = false;
    if (before) {
        lzw.encode(variant.data(), variant.size(), minCodeSize, clear);
        useTransparency = clear.size() < opaque.size();
    }
    const uint8_t packed = uint8_t((1 << 2) | (useTransparency ? 1 : 0)); // keep, transparency
    const uint8_t control[] = {0x21, 0xF9, 4, packed};
    b.insert(b.end(), std::begin(control), std::end(control));
    putWord(b, delay);
    b.push_back(useTransparency ? transparent : 0);
    b.push_back(0);
    b.push_back(0x2C);
    putWord(b, r.left);
    putWord(b, r.top);
    putWord(b, r.width);
    putWord(b, r.height);
    b.push_back(0); // no local colour table, not interlaced
    const std::vector<uint8_t>& data = useTransparency ? clear : opaque;
    b.insert(b.end(), data.begin(), data.end());
}

} // namespace

long cyclesToCentiseconds(long cycles) {
    return (16 * cycles + 7) / 14;
}

void GifTiming::add(const PanelImage& image, long cycles, std::vector<GifFrame>& out) {
    if (cycles <= 0) return; // never seen
    cycles_ += cycles;
    span_ = image;
    haveSpan_ = true;
    const long end = cyclesToCentiseconds(cycles_);
    if (end - endCs_ < GifMinDelay) return;
    complete(span_, int(end - endCs_), out);
    endCs_ = end;
    haveSpan_ = false;
}

void GifTiming::complete(const PanelImage& image, int centiseconds, std::vector<GifFrame>& out) {
    if (haveHeld_ && held_.image == image) {
        held_.centiseconds += centiseconds;
        return;
    }
    if (haveHeld_) out.push_back(held_);
    held_ = GifFrame{image, centiseconds};
    haveHeld_ = true;
}

void GifTiming::finish(std::vector<GifFrame>& out) {
    const long end = cyclesToCentiseconds(cycles_);
    if (haveSpan_ && haveHeld_) {
        // Too short to stand alone: the frame before stays on a little longer.
        held_.centiseconds += int(end - endCs_);
    } else if (haveSpan_) {
        held_ = GifFrame{span_, int(std::max<long>(end - endCs_, GifMinDelay))};
        haveHeld_ = true;
    }
    endCs_ = end;
    haveSpan_ = false;
    if (haveHeld_) out.push_back(held_);
    haveHeld_ = false;
}

struct GifPreviewWriter::Output {
    SafeFileStream file;
    std::vector<uint8_t> buffer;
    bool failed = false;
    std::string error;

    bool flush() {
        if (!failed && !file.write(buffer.data(), buffer.size(), error)) failed = true;
        buffer.clear();
        return !failed;
    }
};

GifPreviewWriter::GifPreviewWriter() : out_(std::make_unique<Output>()) {}

GifPreviewWriter::~GifPreviewWriter() {
    abandon();
}

void GifPreviewWriter::abandon() {
    out_->file.abandon();
}

const std::string& GifPreviewWriter::temporaryPath() const {
    return out_->file.temporaryPath();
}

bool GifPreviewWriter::open(const std::string& path, int scale, std::string& error, LedLook look,
                            LedColour colour) {
    if (scale < GifMinScale || scale > GifMaxScale) {
        error = "scale must be " + std::to_string(GifMinScale) + ".." + std::to_string(GifMaxScale);
        return false;
    }
    abandon();
    out_->failed = false;
    out_->error.clear();
    out_->buffer.clear();
    if (!out_->file.open(path, error)) return false;
    painter_ = std::make_unique<LedPainter>(look, scale, colour);
    appendHeader(*painter_, out_->buffer);
    haveShown_ = false;
    emittedCs_ = 0;
    framesWritten_ = 0;
    timing_ = GifTiming{};
    return true;
}

bool GifPreviewWriter::show(const PanelImage& screen, uint8_t cycles) {
    if (!out_->file.isOpen() || out_->failed) return false;
    timing_.add(visiblePart(screen), cycles, ready_);
    return writeFrames(ready_);
}

bool GifPreviewWriter::writeFrames(std::vector<GifFrame>& frames) {
    for (const GifFrame& f : frames)
        forEachPiece(f.centiseconds, [&](int part) { return writeFrame(f.image, part); });
    frames.clear();
    if (out_->buffer.size() >= (1u << 20)) out_->flush();
    return !out_->failed;
}

bool GifPreviewWriter::writeFrame(const PanelImage& image, int delay) {
    painter_->paint(image, next_);
    appendFrame(haveShown_ ? &shown_ : nullptr, next_, painter_->palette().size(), delay,
                out_->buffer);
    std::swap(shown_, next_);
    haveShown_ = true;
    emittedCs_ += delay;
    ++framesWritten_;
    return true;
}

bool GifPreviewWriter::finish(std::string& error) {
    if (!out_->file.isOpen()) {
        error = "no GIF is open";
        return false;
    }
    timing_.finish(ready_);
    writeFrames(ready_);
    if (framesWritten_ == 0 && !out_->failed) writeFrame(PanelImage{}, GifMinDelay);
    out_->buffer.push_back(0x3B); // trailer
    if (out_->flush() && out_->file.commit(out_->error)) return true;
    error = out_->error;
    abandon();
    return false;
}

GifSizeEstimate::GifSizeEstimate(int scale, LedLook look, int samples)
    : painter_(look, std::clamp(scale, GifMinScale, GifMaxScale)),
      samples_(size_t(std::max(samples, 1))) {}

bool GifSizeEstimate::show(const PanelImage& screen, uint8_t cycles) {
    timing_.add(visiblePart(screen), cycles, ready_);
    takeReady();
    return true;
}

void GifSizeEstimate::takeReady() {
    for (const GifFrame& f : ready_)
        forEachPiece(f.centiseconds, [&](int) {
            take(f.image);
            return true;
        });
    ready_.clear();
}

// Keeps every stride-th frame; when twice the samples are kept, every
// other one goes and the stride doubles, so the kept ones stay evenly
// spread however long the export turns out to be.
void GifSizeEstimate::take(const PanelImage& image) {
    if (frames_ % stride_ == 0) kept_.push_back(Sample{frames_, last_, image});
    last_ = image;
    ++frames_;
    if (kept_.size() < 2 * samples_) return;
    stride_ *= 2;
    std::erase_if(kept_, [&](const Sample& s) { return s.index % stride_ != 0; });
}

uint64_t GifSizeEstimate::bytes() {
    timing_.finish(ready_);
    takeReady();
    if (frames_ == 0) take(PanelImage{}); // the writer's one blank frame
    std::vector<uint8_t> encoded;
    appendHeader(painter_, encoded);
    LedPicture before, after;
    uint64_t first = 0, others = 0;
    for (const Sample& s : kept_) {
        const size_t start = encoded.size();
        painter_.paint(s.image, after);
        if (s.index > 0) painter_.paint(s.before, before);
        appendFrame(s.index > 0 ? &before : nullptr, after, painter_.palette().size(), GifMinDelay,
                    encoded);
        (s.index == 0 ? first : others) += encoded.size() - start;
        encoded.resize(start);
    }
    const uint64_t rest =
        kept_.size() > 1 ? others * uint64_t(frames_ - 1) / (kept_.size() - 1) : 0;
    return encoded.size() + first + rest + 1; // the trailer
}

} // namespace vorelux::preview

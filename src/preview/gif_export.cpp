#include "preview/gif_export.h"

#include "model/native_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace vorelux::preview {

namespace {

// The streamed file's descriptor calls: on Windows a binary, non-inherited
// file on a wide-character path (the default text mode would turn every 10
// byte into 13 10).
#ifdef _WIN32
int createNew(const std::string& path) {
    return ::_wopen(nativePath(path).c_str(),
                    _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                    _S_IREAD | _S_IWRITE);
}
long writeSome(int fd, const uint8_t* data, size_t size) {
    return ::_write(fd, data, unsigned(std::min<size_t>(size, 1u << 20)));
}
int syncFile(int fd) {
    return ::_commit(fd);
}
void removeFile(const std::string& path) {
    ::_wunlink(nativePath(path).c_str());
}
int processId() {
    return ::_getpid();
}
#else
int createNew(const std::string& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long writeSome(int fd, const uint8_t* data, size_t size) {
    return long(::write(fd, data, size));
}
int syncFile(int fd) {
    return ::fsync(fd);
}
void removeFile(const std::string& path) {
    ::unlink(path.c_str());
}
int processId() {
    return int(::getpid());
}
#endif

constexpr int MaxGifDelay = 65535; // centiseconds in a delay field
constexpr int MaxLzwCode = 4095;

// Bits of the colour table: room for the look's colours and the
// transparent index after them.
int tableBits(LedLook look) {
    const size_t needed = ledPalette(look).size() + 1;
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
    int fd = -1;
    std::string path, temporary;
    std::vector<uint8_t> buffer;
    bool failed = false;
    std::string error;

    bool flush() {
        size_t done = 0;
        while (!failed && done < buffer.size()) {
            const long n = writeSome(fd, buffer.data() + done, buffer.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0)
                fail(n < 0 ? errno : ENOSPC);
            else
                done += size_t(n);
        }
        buffer.clear();
        return !failed;
    }
    void fail(int err) {
        if (failed) return;
        failed = true;
        error = std::strerror(err);
    }
    void removeTemporary() {
        if (fd >= 0) ::close(fd);
        fd = -1;
        if (!temporary.empty()) removeFile(temporary);
        temporary.clear();
    }
};

GifPreviewWriter::GifPreviewWriter() : out_(std::make_unique<Output>()) {}

GifPreviewWriter::~GifPreviewWriter() {
    abandon();
}

void GifPreviewWriter::abandon() {
    out_->removeTemporary();
}

bool GifPreviewWriter::open(const std::string& path, int scale, std::string& error, LedLook look) {
    if (scale < GifMinScale || scale > GifMaxScale) {
        error = "scale must be " + std::to_string(GifMinScale) + ".." + std::to_string(GifMaxScale);
        return false;
    }
    abandon();
    // A new name beside the target, created with the usual permissions.
    int fd = -1;
    std::string temporary;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = path + ".part-" + std::to_string(processId()) + "-" + std::to_string(attempt);
        fd = createNew(temporary);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    *out_ = Output{};
    out_->fd = fd;
    out_->path = path;
    out_->temporary = temporary;
    painter_ = std::make_unique<LedPainter>(look, scale);

    std::vector<uint8_t>& b = out_->buffer;
    const char magic[] = "GIF89a";
    b.assign(magic, magic + 6);
    putWord(b, painter_->width());
    putWord(b, painter_->height());
    const int bits = tableBits(look);
    b.push_back(uint8_t(0x80 | ((bits - 1) << 4) | (bits - 1))); // global colour table
    b.push_back(0);                                              // background: black
    b.push_back(0);                                              // square pixels
    const std::vector<uint32_t>& palette = ledPalette(look);
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
    haveShown_ = false;
    emittedCs_ = 0;
    framesWritten_ = 0;
    timing_ = GifTiming{};
    return true;
}

bool GifPreviewWriter::show(const PanelImage& screen, uint8_t cycles) {
    if (out_->fd < 0 || out_->failed) return false;
    PanelImage image = screen;
    image[size_t(PanelColumns)] = 0;
    for (auto& c : image) c &= 0x7F; // bit 7 is never shown
    timing_.add(image, cycles, ready_);
    return writeFrames(ready_);
}

bool GifPreviewWriter::writeFrames(std::vector<GifFrame>& frames) {
    for (const GifFrame& f : frames) {
        for (int left = f.centiseconds; left > 0;) {
            const int delay = std::min(left, MaxGifDelay);
            // A last piece under 2 cs goes into the piece before.
            const int part =
                left - delay > 0 && left - delay < GifMinDelay ? delay - GifMinDelay : delay;
            if (!writeFrame(f.image, part)) break;
            left -= part;
        }
    }
    frames.clear();
    if (out_->buffer.size() >= (1u << 20)) out_->flush();
    return !out_->failed;
}

bool GifPreviewWriter::writeFrame(const PanelImage& image, int delay) {
    painter_->paint(image, next_);
    const bool first = !haveShown_;
    const Rect r = first ? Rect{0, 0, next_.width, next_.height} : changedRect(shown_, next_);
    const uint8_t transparent = uint8_t(ledPalette(painter_->look()).size());
    const int minCodeSize = std::max(2, tableBits(painter_->look()));

    // The rectangle as it is, and (after the first frame) with the pixels
    // that did not change made transparent; the smaller one is written.
    rect_.clear();
    variant_.clear();
    for (int y = r.top; y < r.top + r.height; ++y) {
        for (int x = r.left; x < r.left + r.width; ++x) {
            const uint8_t now = next_.at(x, y);
            rect_.push_back(now);
            if (!first) variant_.push_back(now == shown_.at(x, y) ? transparent : now);
        }
    }
    LzwEncoder lzw;
    std::vector<uint8_t> opaque, clear;
    lzw.encode(rect_.data(), rect_.size(), minCodeSize, opaque);
    bool useTransparency = false;
    if (!first) {
        lzw.encode(variant_.data(), variant_.size(), minCodeSize, clear);
        useTransparency = clear.size() < opaque.size();
    }

    std::vector<uint8_t>& b = out_->buffer;
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

    std::swap(shown_, next_);
    haveShown_ = true;
    emittedCs_ += delay;
    ++framesWritten_;
    return true;
}

bool GifPreviewWriter::finish(std::string& error) {
    if (out_->fd < 0) {
        error = "no GIF is open";
        return false;
    }
    timing_.finish(ready_);
    writeFrames(ready_);
    if (framesWritten_ == 0 && !out_->failed) writeFrame(PanelImage{}, GifMinDelay);
    out_->buffer.push_back(0x3B); // trailer
    out_->flush();
    if (!out_->failed && syncFile(out_->fd) != 0 && errno != EINVAL) out_->fail(errno);
    const int fd = out_->fd;
    out_->fd = -1;
    if (::close(fd) != 0 && !out_->failed) out_->fail(errno);
    std::string replaceError;
    if (!out_->failed && !replaceFile(out_->temporary, out_->path, replaceError)) {
        out_->failed = true;
        out_->error = replaceError;
    }
    if (out_->failed) {
        error = out_->error;
        abandon();
        return false;
    }
    out_->temporary.clear();
    return true;
}

} // namespace vorelux::preview

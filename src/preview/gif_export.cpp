#include "preview/gif_export.h"

#include <gif_lib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace vorelux::preview {

namespace {

constexpr int Rows = PanelRows;
constexpr int Columns = PanelColumns;

enum Colour : uint8_t { Black = 0, DarkLed = 1, LitEdge = 2, LitLed = 3 };

// Rounded centiseconds of `cycles` cycles of 8/700 s (half up).
long roundedCs(long cycles) {
    return (16 * cycles + 7) / 14;
}

bool lit(const PanelImage& image, int column, int row) {
    return (image[size_t(column)] >> (6 - row)) & 1;
}

} // namespace

std::vector<int> gifDelays(const std::vector<int>& cycles) {
    std::vector<int> out;
    long total = 0, emitted = 0;
    for (int c : cycles) {
        total += c;
        const long target = roundedCs(total);
        out.push_back(int(target - emitted));
        emitted = target;
    }
    return out;
}

struct GifPreviewWriter::Gif {
    GifFileType* file = nullptr;
};

GifPreviewWriter::GifPreviewWriter() : gif_(std::make_unique<Gif>()) {}

GifPreviewWriter::~GifPreviewWriter() {
    if (gif_->file) {
        int err = 0;
        EGifCloseFile(gif_->file, &err);
    }
}

bool GifPreviewWriter::open(const std::string& path, int scale, std::string& error) {
    if (scale < GifMinScale || scale > GifMaxScale) {
        error = "scale must be " + std::to_string(GifMinScale) + ".." + std::to_string(GifMaxScale);
        return false;
    }
    scale_ = scale;
    // Created with the usual permissions (the umask decides), unlike giflib's own open.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        error = std::string("cannot create ") + path + ": " + std::strerror(errno);
        return false;
    }
    int err = 0;
    gif_->file = EGifOpenFileHandle(fd, &err);
    if (!gif_->file) {
        ::close(fd);
        error = std::string("cannot create ") + path + ": " + GifErrorString(err);
        return false;
    }
    GifColorType colours[4] = {{0, 0, 0}, {40, 40, 40}, {150, 150, 150}, {255, 255, 255}};
    ColorMapObject* map = GifMakeMapObject(4, colours);
    EGifSetGifVersion(gif_->file, true);
    const bool ok =
        EGifPutScreenDesc(gif_->file, Columns * scale_, Rows * scale_, 8, 0, map) == GIF_OK;
    GifFreeMapObject(map);
    // Loop forever.
    const unsigned char app[] = "NETSCAPE2.0";
    const unsigned char loop[] = {1, 0, 0};
    const bool looped = ok &&
                        EGifPutExtensionLeader(gif_->file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
                        EGifPutExtensionBlock(gif_->file, 11, app) == GIF_OK &&
                        EGifPutExtensionBlock(gif_->file, 3, loop) == GIF_OK &&
                        EGifPutExtensionTrailer(gif_->file) == GIF_OK;
    if (!looped) {
        error = std::string("cannot write ") + path + ": " + GifErrorString(gif_->file->Error);
        failed_ = true;
        return false;
    }
    return true;
}

void GifPreviewWriter::paint(const PanelImage& image, std::vector<uint8_t>& pixels) const {
    const int w = Columns * scale_, h = Rows * scale_;
    pixels.assign(size_t(w) * size_t(h), Black);
    const double r = scale_ * 0.4;
    for (int row = 0; row < Rows; ++row) {
        for (int col = 0; col < Columns; ++col) {
            const bool on = lit(image, col, row);
            const double cx = (col + 0.5) * scale_, cy = (row + 0.5) * scale_;
            for (int y = row * scale_; y < (row + 1) * scale_; ++y) {
                for (int x = col * scale_; x < (col + 1) * scale_; ++x) {
                    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                    const double d2 = dx * dx + dy * dy;
                    uint8_t colour = Black;
                    if (d2 <= r * r)
                        colour = on ? LitLed : DarkLed;
                    else if (on && d2 <= (r + 0.7) * (r + 0.7))
                        colour = LitEdge;
                    pixels[size_t(y) * size_t(w) + size_t(x)] = colour;
                }
            }
        }
    }
}

bool GifPreviewWriter::emit(const PanelImage& image, long cycles) {
    if (failed_ || !gif_->file) return false;
    while (cycles > 0) {
        // A GIF delay holds at most 65535 centiseconds.
        const long part = std::min<long>(cycles, 50000);
        cycles -= part;
        cycles_ += part;
        const long target = roundedCs(cycles_);
        const int delay = int(target - emittedCs_);
        emittedCs_ = target;

        // Only the LED cells that changed since the last frame are written.
        int c0 = 0, c1 = Columns - 1, r0 = 0, r1 = Rows - 1;
        if (haveShown_) {
            c0 = Columns, c1 = -1, r0 = Rows, r1 = -1;
            for (int c = 0; c < Columns; ++c)
                for (int r = 0; r < Rows; ++r)
                    if (lit(image, c, r) != lit(shown_, c, r)) {
                        c0 = std::min(c0, c), c1 = std::max(c1, c);
                        r0 = std::min(r0, r), r1 = std::max(r1, r);
                    }
            if (c1 < 0) c0 = c1 = r0 = r1 = 0; // nothing changed: one cell, same look
        }
        std::vector<uint8_t> pixels;
        paint(image, pixels);
        GraphicsControlBlock gcb{};
        gcb.DisposalMode = DISPOSE_DO_NOT;
        gcb.UserInputFlag = false;
        gcb.DelayTime = delay;
        gcb.TransparentColor = NO_TRANSPARENT_COLOR;
        GifByteType ext[4];
        EGifGCBToExtension(&gcb, ext);
        const int left = c0 * scale_, top = r0 * scale_;
        const int width = (c1 - c0 + 1) * scale_, height = (r1 - r0 + 1) * scale_;
        bool ok = EGifPutExtension(gif_->file, GRAPHICS_EXT_FUNC_CODE, 4, ext) == GIF_OK &&
                  EGifPutImageDesc(gif_->file, left, top, width, height, false, nullptr) == GIF_OK;
        const int fullWidth = Columns * scale_;
        for (int y = top; ok && y < top + height; ++y)
            ok = EGifPutLine(gif_->file, &pixels[size_t(y) * size_t(fullWidth) + size_t(left)],
                             width) == GIF_OK;
        if (!ok) {
            failed_ = true;
            error_ = std::string("cannot write the GIF: ") + GifErrorString(gif_->file->Error);
            return false;
        }
        ++framesWritten_;
        shown_ = image;
        haveShown_ = true;
    }
    return true;
}

bool GifPreviewWriter::show(const PanelImage& screen, uint8_t cycles) {
    PanelImage image = screen;
    image[size_t(Columns)] = 0;
    for (auto& c : image) c &= 0x7F; // bit 7 is never shown
    if (havePending_ && image == pending_) {
        pendingCycles_ += cycles;
        return !failed_;
    }
    if (havePending_ && pendingCycles_ > 0) emit(pending_, pendingCycles_);
    pending_ = image;
    pendingCycles_ = cycles;
    havePending_ = true;
    return !failed_;
}

bool GifPreviewWriter::finish(std::string& error) {
    if (!gif_->file) {
        error = "no GIF is open";
        return false;
    }
    if (havePending_ && pendingCycles_ > 0) emit(pending_, pendingCycles_);
    havePending_ = false;
    if (framesWritten_ == 0 && !failed_) emit(PanelImage{}, 1); // never an empty animation
    int err = 0;
    const bool closed = EGifCloseFile(gif_->file, &err) == GIF_OK;
    gif_->file = nullptr;
    if (failed_) {
        error = error_;
        return false;
    }
    if (!closed) {
        error = std::string("cannot write the GIF: ") + GifErrorString(err);
        return false;
    }
    return true;
}

} // namespace vorelux::preview

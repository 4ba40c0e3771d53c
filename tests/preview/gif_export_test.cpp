// The GIF export: frame timing for viewers that raise short delays, the
// pictures of the two LED looks, and files read back with giflib.
#include "preview/gif_export.h"
#include "preview/led_picture.h"
#include "preview/page_player.h"
#include "render/edit_canvas.h"
#include "support/temp_dir.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace vorelux::preview {
namespace {

namespace fs = std::filesystem;

// A recognisable image per number: LED column n lit.
PanelImage picture(int n) {
    PanelImage image{};
    image[size_t(n)] = 0x7F;
    return image;
}

struct TimingCase {
    const char* name;
    std::vector<std::pair<int, long>> shown;        // (picture, cycles)
    std::vector<std::pair<int, int>> expected = {}; // (picture, centiseconds)
};

TEST(GifTiming, MergesShortFramesIntoTheNextAndKeepsTheRunningSumOnTime) {
    const TimingCase cases[] = {
        {.name = "holds are 80 cs", .shown = {{1, 70}, {2, 70}}, .expected = {{1, 80}, {2, 80}}},
        // 7 cycles are 8 cs: frames end at 2, 5 and 7 cs (2, 4 and 6
        // cycles); the last cycle, too short alone, lengthens the frame before.
        {.name = "one-cycle frames pair up, each showing the later picture",
         .shown = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}, {7, 1}},
         .expected = {{2, 2}, {4, 3}, {6, 3}}},
        {.name = "a short frame before a hold goes into the hold",
         .shown = {{1, 70}, {2, 1}, {3, 70}},
         .expected = {{1, 80}, {3, 81}}},
        {.name = "frames that change nothing join the frame before",
         .shown = {{1, 70}, {2, 1}, {1, 70}, {1, 0}, {1, 5}},
         .expected = {{1, 167}}},
        {.name = "a short last frame lengthens the one before",
         .shown = {{1, 70}, {2, 1}},
         .expected = {{1, 81}}},
        {.name = "a lone short frame still lasts 2 cs", .shown = {{1, 1}}, .expected = {{1, 2}}},
        {.name = "frames never seen are left out", .shown = {{1, 0}}, .expected = {}},
    };
    for (const TimingCase& c : cases) {
        GifTiming timing;
        std::vector<GifFrame> out;
        for (auto [n, cycles] : c.shown) timing.add(picture(n), cycles, out);
        timing.finish(out);
        std::vector<std::pair<int, int>> got;
        for (const GifFrame& f : out)
            for (int n = 0; n < PanelColumns; ++n)
                if (f.image == picture(n)) got.emplace_back(n, f.centiseconds);
        EXPECT_EQ(got, c.expected) << c.name;
    }
}

TEST(GifTiming, EveryDelayAtLeast2CsAndEveryFrameEndsOnARoundedPanelTime) {
    // A long mixed run: one-cycle steps, scrolls, holds, repeats.
    GifTiming timing;
    std::vector<GifFrame> out;
    std::vector<long> roundedEnds{0};
    uint32_t seed = 12345;
    long cycles = 0;
    for (int i = 0; i < 5000; ++i) {
        seed = seed * 1103515245u + 12345u;
        const long c = (seed >> 16) % 7 == 0 ? 70 : long((seed >> 20) % 4);
        timing.add(picture(int((seed >> 8) % 5)), c, out);
        cycles += c;
        roundedEnds.push_back(cyclesToCentiseconds(cycles));
    }
    timing.finish(out);
    long sum = 0;
    for (size_t j = 0; j < out.size(); ++j) {
        EXPECT_GE(out[j].centiseconds, GifMinDelay) << j;
        if (j > 0) {
            EXPECT_NE(out[j].image, out[j - 1].image) << j;
        }
        sum += out[j].centiseconds;
        // The running sum is the rounded nominal time of a panel frame's end.
        EXPECT_TRUE(std::binary_search(roundedEnds.begin(), roundedEnds.end(), sum)) << j;
    }
    EXPECT_EQ(sum, cyclesToCentiseconds(cycles));
    EXPECT_EQ(timing.cycles(), cycles);
}

TEST(LedPicture, TheGridLookIsThePreviewWindowsCanvasInEveryColour) {
    PanelImage image{};
    for (int c = 0; c < PanelColumns; ++c) image[size_t(c)] = uint8_t((c * 37 + 11) & 0x7F);
    for (LedColour colour : AllLedColours) {
        CanvasImage canvas;
        paintScreen(image, canvas, colour);
        const LedPainter painter(LedLook::Grid, CellSize, colour);
        ASSERT_EQ(painter.width(), canvas.width);
        ASSERT_EQ(painter.height(), canvas.height);
        EXPECT_EQ(painter.paintRgb(image), canvas.pixels) << ledColourWord(colour);
    }
}

struct GifFile {
    GifFileType* gif = nullptr;
    explicit GifFile(const std::string& path) {
        int err = 0;
        gif = DGifOpenFileName(path.c_str(), &err);
        if (gif && DGifSlurp(gif) != GIF_OK) close();
    }
    ~GifFile() { close(); }
    void close() {
        int err = 0;
        if (gif) DGifCloseFile(gif, &err);
        gif = nullptr;
    }
    GraphicsControlBlock control(int i) const {
        GraphicsControlBlock gcb{};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        return gcb;
    }
};

TEST(GifWriter, WritesOnlyWhatChangedWithAPaletteOfTheColoursUsed) {
    TempDir dir;
    const std::string path = dir.file("a.gif");
    GifPreviewWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path, 10, error)) << error;
    PanelImage a{}, b{};
    a[0] = 0x40; // top-left LED
    b[0] = 0x40;
    b[5] = 0x01; // one more LED, bottom row
    writer.show(a, 70);
    writer.show(a, 70);
    writer.show(PanelImage{}, 0);
    writer.show(b, 7);
    ASSERT_TRUE(writer.finish(error)) << error;
    EXPECT_EQ(writer.framesWritten(), 2);
    EXPECT_EQ(writer.cycles(), 147);
    EXPECT_EQ(writer.centiseconds(), 168); // 147 x 8/7

    GifFile file(path);
    ASSERT_NE(file.gif, nullptr);
    GifFileType* gif = file.gif;
    EXPECT_EQ(gif->SWidth, 64 * 10);
    EXPECT_EQ(gif->SHeight, 7 * 10);
    EXPECT_EQ(gif->SColorMap->ColorCount, 8); // 5 colours and the transparent index
    ASSERT_EQ(gif->ImageCount, 2);
    EXPECT_EQ(file.control(0).DelayTime + file.control(1).DelayTime, 168);
    const SavedImage& first = gif->SavedImages[0];
    auto colour = [&](int x, int y) {
        return gif->SColorMap->Colors[first.RasterBits[y * first.ImageDesc.Width + x]];
    };
    auto rgb = [](const GifColorType& c) { return rgbColour(c.Red, c.Green, c.Blue); };
    const LedShades red = ledShades(LedColour::Red); // the default colour
    EXPECT_EQ(rgb(colour(5, 5)), red.lit);           // the lit LED's centre
    EXPECT_EQ(rgb(colour(0, 0)), LedGroundColour);   // its corner
    EXPECT_EQ(rgb(colour(15, 5)), red.dim);          // an unlit LED
    // The second frame covers the one LED that changed, and its unchanged
    // corners stay as they were (left in place or transparent).
    const GifImageDesc& second = gif->SavedImages[1].ImageDesc;
    EXPECT_GE(second.Left, 50);
    EXPECT_GE(second.Top, 60);
    EXPECT_LE(second.Left + second.Width, 60);
    EXPECT_LE(second.Top + second.Height, 70);
    EXPECT_EQ(file.control(1).DisposalMode, DISPOSE_DO_NOT);
}

TEST(GifWriter, SplitsAHoldLongerThanADelayCanSay) {
    TempDir dir;
    GifPreviewWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(dir.file("long.gif"), 2, error, LedLook::Grid)) << error;
    for (int i = 0; i < 225; ++i) writer.show(picture(3), 255); // 65,571 cs
    ASSERT_TRUE(writer.finish(error)) << error;
    GifFile file(dir.file("long.gif"));
    ASSERT_NE(file.gif, nullptr);
    EXPECT_EQ(file.gif->SColorMap->ColorCount, 8);
    ASSERT_EQ(file.gif->ImageCount, 2);
    EXPECT_EQ(file.control(0).DelayTime, 65535);
    EXPECT_EQ(file.control(1).DelayTime, 36);
}

// Every name in a folder, hidden ones too: what an export left there.
std::vector<std::string> entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A short export to `path`; false with the writer's reason.
bool exportTo(const std::string& path, std::string& error) {
    GifPreviewWriter writer;
    if (!writer.open(path, 2, error)) return false;
    writer.show(picture(1), 70);
    return writer.finish(error);
}

TEST(GifWriter, LeavesNothingBehindWhenItFailsOrIsAbandoned) {
    TempDir dir;
    std::string error;
    GifPreviewWriter scale;
    EXPECT_FALSE(scale.open(dir.file("x.gif"), 1, error));
    GifPreviewWriter missing;
    EXPECT_FALSE(missing.open(dir.file("no-such-folder/x.gif"), 10, error));
    EXPECT_FALSE(error.empty());
    {
        GifPreviewWriter abandoned;
        ASSERT_TRUE(abandoned.open(dir.file("gone.gif"), 10, error)) << error;
        EXPECT_FALSE(abandoned.temporaryPath().empty());
        abandoned.show(picture(1), 70);
    }
    // The target becomes a folder while the GIF is written: the rename at
    // the end fails, and the temporary file goes.
    writeBytes(dir.file("folder.gif"), {1});
    GifPreviewWriter blocked;
    ASSERT_TRUE(blocked.open(dir.file("folder.gif"), 10, error)) << error;
    blocked.show(picture(1), 70);
    fs::remove(dir.path / "folder.gif");
    fs::create_directories(dir.path / "folder.gif" / "inside");
    EXPECT_FALSE(blocked.finish(error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(blocked.temporaryPath().empty());
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"folder.gif"});
}

TEST(GifWriter, WritesThroughLinksAndKeepsTheFilesModeAndOwner) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    const std::string real = dir.file("real/a.gif");
    writeBytes(real, {1, 2, 3});
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0); // someone else's file
    }
    fs::create_symlink("real/a.gif", dir.path / "link.gif");
    std::string error;
    ASSERT_TRUE(exportTo(dir.file("link.gif"), error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.gif"));
    const std::vector<uint8_t> written = readBytes(real);
    ASSERT_GE(written.size(), 6u);
    EXPECT_EQ(std::string(written.begin(), written.begin() + 6), "GIF89a");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    EXPECT_EQ(entries(dir.path / "real"), std::vector<std::string>{"a.gif"});
    EXPECT_EQ(entries(dir.path), (std::vector<std::string>{"link.gif", "real"}));
}

// A pipe, a folder and (as root) a character device made with mknod as a
// copy of the null device: refused at once with the usual reason, and left
// as they were.
TEST(GifWriter, RefusesDevicesPipesAndFolders) {
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe.gif").c_str(), 0600), 0);
    fs::create_directory(dir.path / "folder.gif");
    struct Case {
        std::string name, reason;
    };
    std::vector<Case> cases = {{"pipe.gif", "não é um arquivo comum"},
                               {"folder.gif", "é uma pasta"}};
    const dev_t nullDevice = makedev(1, 3);
    if (::geteuid() == 0 && ::mknod(dir.file("null.gif").c_str(), S_IFCHR | 0666, nullDevice) == 0)
        cases.push_back({"null.gif", "não é um arquivo comum"});
    else
        std::cout << "[ note ] no character device case: mknod needs root\n";
    for (const Case& c : cases) {
        std::string error;
        GifPreviewWriter writer;
        EXPECT_FALSE(writer.open(dir.file(c.name), 2, error)) << c.name;
        EXPECT_EQ(error, c.reason) << c.name;
        EXPECT_FALSE(writer.finish(error)) << c.name;
    }
    EXPECT_TRUE(fs::is_fifo(dir.path / "pipe.gif"));
    EXPECT_TRUE(fs::is_directory(dir.path / "folder.gif"));
    std::vector<std::string> expected = {"folder.gif", "pipe.gif"};
    if (cases.size() == 3) {
        struct stat info {};
        ASSERT_EQ(::lstat(dir.file("null.gif").c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
        EXPECT_EQ(info.st_rdev, nullDevice);
        expected.push_back("null.gif");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(entries(dir.path), expected);
}

// A play of `count` frames of scrolling, changing columns.
void playScroll(FrameSink& sink, int count) {
    for (int i = 0; i < count; ++i) {
        PanelImage image{};
        for (int c = 0; c < PanelColumns; ++c) image[size_t(c)] = uint8_t((c + i) * 37 % 128);
        sink.show(image, uint8_t(1 + i % 3));
    }
}

TEST(GifSizeEstimate, MatchesTheWrittenFile) {
    struct Case {
        const char* name;
        int frames, scale, samples;
        double tolerance; // of the written size
    } const cases[] = {
        {"no frames: the one blank frame", 0, 4, 48, 0},
        {"every frame sampled", 200, 4, 400, 0},
        {"a few frames sampled", 1500, 2, 16, 0.1},
        {"a few frames sampled, large LEDs", 200, 12, 16, 0.1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        GifPreviewWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(dir.file("a.gif"), c.scale, error)) << error;
        playScroll(writer, c.frames);
        ASSERT_TRUE(writer.finish(error)) << error;
        const double written = double(fs::file_size(dir.path / "a.gif"));
        GifSizeEstimate estimate(c.scale, LedLook::Dots, c.samples);
        playScroll(estimate, c.frames);
        EXPECT_EQ(estimate.cycles(), writer.cycles()) << c.name;
        EXPECT_NEAR(double(estimate.bytes()), written, written * c.tolerance) << c.name;
    }
}

} // namespace
} // namespace vorelux::preview

// The GIF export: frame delays with the rounding carried, dots on black, and
// a readable animation whose duration is the preview's.
#include "preview/engine.h"
#include "preview/gif_export.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>
#include <string>
#include <unistd.h>

namespace vorelux::preview {
namespace {

TEST(GifDelays, CarryTheRoundingSoTheTotalStaysExact) {
    // One cycle is 8/7 cs: seven one-cycle frames last exactly 8 cs.
    const std::vector<int> delays = gifDelays(std::vector<int>(7, 1));
    EXPECT_EQ(std::accumulate(delays.begin(), delays.end(), 0), 8);
    for (int d : delays) EXPECT_TRUE(d == 1 || d == 2);
    // Any run of frames: the sum is the rounded total.
    const std::vector<int> cycles = {2, 2, 70, 5, 1, 1, 1, 10, 70, 4, 6, 4};
    const std::vector<int> d = gifDelays(cycles);
    long total = 0, sum = 0;
    for (size_t i = 0; i < cycles.size(); ++i) {
        total += cycles[i];
        sum += d[i];
        EXPECT_LE(std::abs(sum * 700 - total * 800), 350) << i; // within half a centisecond
    }
    EXPECT_EQ(gifDelays({70}).front(), 80);
}

struct TempGif {
    std::string path = "/tmp/vorelux_gif_test_" + std::to_string(::getpid()) + ".gif";
    ~TempGif() { std::remove(path.c_str()); }
};

TEST(GifWriter, WritesAReadableAnimationOfTheFrames) {
    TempGif tmp;
    GifPreviewWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(tmp.path, 10, error)) << error;
    PanelImage a{}, b{};
    a[0] = 0x40; // top-left LED
    b[0] = 0x40;
    b[5] = 0x01; // one more LED, bottom row
    writer.show(a, 70);
    writer.show(a, 70);           // equal frames merge
    writer.show(PanelImage{}, 0); // a frame never seen is left out
    writer.show(b, 7);
    ASSERT_TRUE(writer.finish(error)) << error;
    EXPECT_EQ(writer.framesWritten(), 2);
    EXPECT_EQ(writer.cycles(), 147);
    EXPECT_EQ(writer.centiseconds(), 168); // 147 x 8/7

    int err = 0;
    GifFileType* gif = DGifOpenFileName(tmp.path.c_str(), &err);
    ASSERT_NE(gif, nullptr);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK);
    EXPECT_EQ(gif->SWidth, 64 * 10);
    EXPECT_EQ(gif->SHeight, 7 * 10);
    ASSERT_EQ(gif->ImageCount, 2);
    int total = 0;
    for (int i = 0; i < gif->ImageCount; ++i) {
        GraphicsControlBlock gcb;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, i, &gcb), GIF_OK);
        total += gcb.DelayTime;
    }
    EXPECT_EQ(total, 168);
    // First frame: the centre of the top-left LED is lit, its corner black,
    // the centre of an unlit LED a dark grey dot.
    const SavedImage& first = gif->SavedImages[0];
    const ColorMapObject* map = gif->SColorMap;
    auto colour = [&](int x, int y) {
        return map->Colors[first.RasterBits[y * first.ImageDesc.Width + x]];
    };
    EXPECT_EQ(colour(5, 5).Red, 255);
    EXPECT_EQ(colour(0, 0).Red, 0);
    EXPECT_GT(colour(15, 5).Red, 0);
    EXPECT_LT(colour(15, 5).Red, 100);
    // The second frame only redraws the cells that changed.
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.Left, 50);
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.Top, 60);
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.Width, 10);
    EXPECT_EQ(gif->SavedImages[1].ImageDesc.Height, 10);
    DGifCloseFile(gif, &err);
}

TEST(GifWriter, RefusesAScaleOutOfRangeAndAnUnwritablePath) {
    GifPreviewWriter writer;
    std::string error;
    EXPECT_FALSE(writer.open("/tmp/x.gif", 1, error));
    EXPECT_FALSE(error.empty());
    GifPreviewWriter other;
    EXPECT_FALSE(other.open("/nonexistent-dir/x.gif", 10, error));
    EXPECT_NE(error.find("/nonexistent-dir/x.gif"), std::string::npos);
}

} // namespace
} // namespace vorelux::preview

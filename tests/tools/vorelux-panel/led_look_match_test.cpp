// One LED look everywhere: for the same frame and each LED colour, the
// editor's canvas, the editor's preview widget, the exported GIF and the
// virtual panel's view show a lit LED's centre and a dark LED's centre in the
// same colours.
#include "app/canvas_widget.h"
#include "panel_window.h"
#include "preview/gif_export.h"
#include "render/edit_canvas.h"
#include "support/temp_dir.h"

#include <QImage>
#include <gif_lib.h>
#include <gtest/gtest.h>

namespace vorelux {
namespace {

// LED (column, row) lit or dark in the test frame.
struct Led {
    int column, row;
};
constexpr Led LitLeds[] = {{0, 0}, {10, 3}, {63, 6}};
constexpr Led DarkLeds[] = {{1, 0}, {10, 4}, {62, 6}};

PanelImage testFrame() {
    PanelImage frame{};
    for (const Led& led : LitLeds) frame[size_t(led.column)] |= uint8_t(1u << (6 - led.row));
    return frame;
}

// The colours at the centres of the lit and the dark LEDs of a picture whose
// top-left LED cell starts at (left, top), 10 pixels per LED.
struct Centres {
    std::vector<uint32_t> lit, dark;
};
template <class Pixel> Centres centresOf(Pixel pixel, int left = 0, int top = 0) {
    Centres c;
    for (const Led& led : LitLeds)
        c.lit.push_back(pixel(left + led.column * 10 + 5, top + led.row * 10 + 5));
    for (const Led& led : DarkLeds)
        c.dark.push_back(pixel(left + led.column * 10 + 5, top + led.row * 10 + 5));
    return c;
}

Centres ofImage(const QImage& image, int left = 0, int top = 0) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return centresOf([&](int x, int y) { return uint32_t(rgb.pixel(x, y)); }, left, top);
}

Centres ofGif(const std::string& path) {
    int err = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
    if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        if (gif) DGifCloseFile(gif, &err);
        return {};
    }
    const SavedImage& first = gif->SavedImages[0];
    const Centres c = centresOf([&](int x, int y) {
        const GifColorType& rgb =
            gif->SColorMap->Colors[first.RasterBits[y * first.ImageDesc.Width + x]];
        return rgbColour(rgb.Red, rgb.Green, rgb.Blue);
    });
    DGifCloseFile(gif, &err);
    return c;
}

void expectShades(const Centres& seen, const LedShades& shades, const char* where) {
    SCOPED_TRACE(where);
    ASSERT_EQ(seen.lit.size(), std::size(LitLeds));
    for (uint32_t c : seen.lit) EXPECT_EQ(c, shades.lit);
    for (uint32_t c : seen.dark) EXPECT_EQ(c, shades.dim);
}

TEST(LedLookMatch, CanvasPreviewGifAndVirtualPanelShowTheSameLeds) {
    const PanelImage frame = testFrame();
    TempDir dir;
    for (LedColour colour : AllLedColours) {
        SCOPED_TRACE(ledColourWord(colour));
        const LedShades shades = ledShades(colour);
        EXPECT_NE(shades.dim, LedGroundColour);
        EXPECT_NE(shades.dim, shades.lit);

        CanvasImage canvas;
        paintScreen(frame, canvas, colour);
        expectShades(centresOf([&](int x, int y) { return canvas.pixel(x, y); }), shades,
                     "edit canvas");

        app::CanvasWidget preview;
        preview.setCanvas(&canvas);
        expectShades(ofImage(preview.grab().toImage()), shades, "preview widget");

        const std::string gif = dir.file(std::string(ledColourWord(colour)) + ".gif");
        preview::GifPreviewWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(gif, CellSize, error, LedLook::Grid, colour)) << error;
        writer.show(frame, 7);
        ASSERT_TRUE(writer.finish(error)) << error;
        expectShades(ofGif(gif), shades, "GIF");

        panel::PanelView view;
        view.setColour(colour);
        view.setLook(255, false);
        view.setFrame(frame);
        view.resize(CanvasWidth + 20, CanvasHeight + 12);
        ASSERT_EQ(view.cellSize(), 10);
        expectShades(ofImage(view.grab().toImage(), 10, 6), shades, "virtual panel");
    }
}

// The virtual panel's LEDs grow with its window, centred, whole pixels per LED.
TEST(LedLookMatch, ThePanelsCellsFitItsWindow) {
    panel::PanelView view;
    view.setLook(255, false);
    view.setFrame(testFrame());
    const struct {
        QSize size;
        int cell;
    } cases[] = {{{649, 79}, 10}, {{1300, 300}, 20}, {{2000, 120}, 15}, {{400, 60}, 6}};
    for (const auto& c : cases) {
        view.resize(c.size);
        ASSERT_EQ(view.cellSize(), c.cell) << c.size.width() << "x" << c.size.height();
        const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int w = 64 * c.cell + 1, h = 7 * c.cell + 1;
        const int left = (c.size.width() - w) / 2, top = (c.size.height() - h) / 2;
        const LedShades red = ledShades(LedColour::Red);
        EXPECT_EQ(shot.pixel(left + c.cell / 2 + 1, top + c.cell / 2 + 1), red.lit);
        EXPECT_EQ(shot.pixel(left + w - 1 - c.cell / 2, top + h - 1 - c.cell / 2), red.lit);
        EXPECT_EQ(shot.pixel(left + c.cell + c.cell / 2 + 1, top + c.cell / 2 + 1), red.dim);
        EXPECT_EQ(QRgb(shot.pixel(left, top)), QRgb(GridColour));
        EXPECT_EQ(QRgb(shot.pixel(left - 1, top)), qRgb(0, 0, 0)); // the black margin
    }
    // Standing up: the cells fit the height.
    view.setLook(255, true);
    view.resize(200, 1300);
    EXPECT_EQ(view.cellSize(), 20);
}

} // namespace
} // namespace vorelux

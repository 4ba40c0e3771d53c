// vorelux glyphs -o SHEET.png: every glyph table on one labelled review sheet.
#include "command.h"
#include "model/charset.h"
#include "model/line.h"
#include "render/edit_canvas.h"
#include "render/glyph_tables.h"
#include "render/glyphs.h"
#include "render/png.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

namespace {

using namespace vorelux;

constexpr uint32_t Background = rgbColour(12, 12, 12);
constexpr uint32_t LitDot = rgbColour(255, 196, 40);
constexpr uint32_t DarkDot = rgbColour(48, 40, 30);
constexpr uint32_t LabelInk = rgbColour(190, 190, 190);
constexpr uint32_t TitleInk = rgbColour(120, 200, 255);
constexpr uint32_t MissingInk = rgbColour(220, 60, 60);

constexpr int Pitch = 4; // pixels per LED on the sheet
constexpr int Dot = 3;

class Sheet {
  public:
    explicit Sheet(int width) : width_(width) {}

    void ensureHeight(int height) {
        if (height <= image_.height) return;
        CanvasImage bigger(width_, height + 200, Background);
        std::copy(image_.pixels.begin(), image_.pixels.end(), bigger.pixels.begin());
        image_ = std::move(bigger);
    }
    void pixel(int x, int y, uint32_t colour) {
        if (x < 0 || x >= width_ || y < 0) return;
        ensureHeight(y + 1);
        image_.scanLine(y)[x] = colour;
    }
    void block(int x, int y, int w, int h, uint32_t colour) {
        for (int dy = 0; dy < h; ++dy)
            for (int dx = 0; dx < w; ++dx) pixel(x + dx, y + dy, colour);
    }
    // Column bytes as LED dots, dark LEDs shown dim so the width reads too.
    void leds(int x, int y, const std::vector<uint8_t>& columns) {
        for (size_t c = 0; c < columns.size(); ++c)
            for (int r = 0; r < 7; ++r) {
                const bool on = (columns[c] >> (6 - r)) & 1;
                block(x + int(c) * Pitch, y + r * Pitch, Dot, Dot, on ? LitDot : DarkDot);
            }
    }
    // Text in the thin panel font, `scale` pixels per LED; returns its width.
    int text(int x, int y, const std::string& utf8, uint32_t ink, int scale = 1,
             int maxWidth = 1 << 20) {
        int cx = x;
        for (char16_t ch : utf8ToUtf16(utf8)) {
            // Labels may hold letters the panel cannot show: "í" reads as "i".
            if (ch == u'í') ch = u'i';
            if (ch == u'Í') ch = u'I';
            glyphs_.convertCharacter(0, toPanelCharacter(ch, u'?'));
            if (cx + (glyphs_.lastGlyphColumn + 1) * scale - x > maxWidth) break;
            for (int c = 0; c <= glyphs_.lastGlyphColumn; ++c) {
                for (int r = 0; r < 7; ++r)
                    if ((glyphs_.glyphColumns[size_t(c)] >> (6 - r)) & 1)
                        block(cx + c * scale, y + r * scale, scale, scale, ink);
            }
            cx += (glyphs_.lastGlyphColumn + 1) * scale;
        }
        return cx - x;
    }
    const CanvasImage& image() const { return image_; }
    int width() const { return width_; }

  private:
    int width_;
    CanvasImage image_{0, 0};
    GlyphRenderer glyphs_;
};

std::vector<uint8_t> convert(GlyphRenderer& g, int font, int code, bool& present) {
    const glyphdata::GlyphTable& table =
        font >= 5 ? glyphdata::Sprites : (font % 2 ? glyphdata::Bold : glyphdata::Thin);
    present = table.refs[code].width > 0;
    g.lastGlyphColumn = 0;
    g.convertCharacter(font, uint8_t(code));
    if (!present) return {};
    return std::vector<uint8_t>(g.glyphColumns.begin(),
                                g.glyphColumns.begin() + g.lastGlyphColumn + 1);
}

// One section: a title, then cells of `perRow` glyphs, each labelled above.
struct Cell {
    std::string label;
    std::vector<std::vector<uint8_t>> frames; // side by side with a small gap
    std::string caption;                      // under the art (drawing names)
    bool missing = false;
};

int section(Sheet& sheet, int y, const std::string& title, const std::vector<Cell>& cells,
            int perRow, int cellWidth) {
    y += 8;
    sheet.text(10, y, title, TitleInk, 2);
    y += 24;
    const bool captions =
        std::any_of(cells.begin(), cells.end(), [](const Cell& c) { return !c.caption.empty(); });
    const int cellHeight = 9 + 7 * Pitch + 10 + (captions ? 9 : 0);
    for (size_t i = 0; i < cells.size(); ++i) {
        const int x = 10 + int(i % size_t(perRow)) * cellWidth;
        const int top = y + int(i / size_t(perRow)) * cellHeight;
        const Cell& cell = cells[i];
        sheet.text(x, top, cell.label, cell.missing ? MissingInk : LabelInk);
        int fx = x;
        for (const auto& frame : cell.frames) {
            sheet.leds(fx, top + 9, frame);
            fx += int(frame.size()) * Pitch + 6;
        }
        if (cell.missing) sheet.text(x, top + 9 + 8, "sem arte", MissingInk);
        if (!cell.caption.empty())
            sheet.text(x, top + 9 + 7 * Pitch + 2, cell.caption, LabelInk, 1, cellWidth - 6);
    }
    const int rows = int((cells.size() + size_t(perRow) - 1) / size_t(perRow));
    return y + rows * cellHeight + 6;
}

std::vector<Cell> fontCells(GlyphRenderer& g, int font) {
    std::vector<Cell> cells;
    for (int code = 0; code < 256; ++code) {
        bool present = false;
        Cell cell;
        cell.label = std::to_string(code);
        auto cols = convert(g, font, code, present);
        if (present) cell.frames.push_back(cols);
        // Codes that have no glyph by design are left as an empty label.
        cells.push_back(cell);
    }
    return cells;
}

std::string figureName(const std::string& label) {
    // "Come-come frame 1" -> "Come-come"
    const auto at = label.rfind(" frame");
    return at == std::string::npos ? label : label.substr(0, at);
}

int run(const cli::Args& argsIn) {
    cli::Args args = argsIn;
    std::string output;
    if (!cli::takeOption(args, "-o", output) || !args.empty())
        return cli::usageError("glyphs", "espera -o FOLHA.png");
    GlyphRenderer g;
    Sheet sheet(16 * 76 + 20);
    int y = 4;
    y = section(sheet, y, "Fonte 1 (fina, codigos 0..255)", fontCells(g, 0), 16, 76);
    y = section(sheet, y, "Fonte 2 (negrito, codigos 0..255)", fontCells(g, 1), 16, 76);
    y = section(sheet, y, "Fonte 3 (fina larga)", fontCells(g, 2), 16, 76);
    y = section(sheet, y, "Fonte 4 (negrito larga)", fontCells(g, 3), 16, 76);

    std::vector<Cell> sprites;
    for (int group = 0; group < 30; ++group) {
        Cell cell;
        const int first = 1 + group * 4;
        cell.label = std::to_string(first) + ".." + std::to_string(first + 3) + " " +
                     figureName(glyphdata::Sprites.refs[first].label);
        for (int code = first; code < first + 4; ++code) {
            bool present = false;
            auto cols = convert(g, 5, code, present);
            if (!present) cell.missing = true;
            cell.frames.push_back(present ? cols : std::vector<uint8_t>{});
        }
        sprites.push_back(cell);
    }
    y = section(sheet, y, "Sprites (30 figuras, 4 quadros cada)", sprites, 3, 404);

    std::vector<Cell> drawings;
    for (int i = 0; i < DrawingCount; ++i) {
        const uint8_t code = InsertCodeTable[size_t(i)];
        Cell cell;
        cell.label = std::to_string(i) + "/" + std::to_string(code);
        // "list 5: upward arrow" -> "upward arrow"
        const std::string name = glyphdata::Drawings.refs[code].label;
        const auto colon = name.find(": ");
        cell.caption = colon == std::string::npos ? name : name.substr(colon + 2);
        if (glyphdata::Drawings.refs[code].width == 0) {
            cell.missing = true;
        } else {
            g.convertSprite(code);
            cell.frames.push_back(std::vector<uint8_t>(
                g.glyphColumns.begin(), g.glyphColumns.begin() + g.lastGlyphColumn + 1));
        }
        drawings.push_back(cell);
    }
    y = section(sheet, y, "Desenhos (indice da lista / codigo)", drawings, 10, 121);

    sheet.ensureHeight(y);
    const CanvasImage& image = sheet.image();
    std::string error;
    if (!writePng(output, image.width, y, image.pixels.data(), image.width, error)) {
        std::cerr << "vorelux glyphs: " << error << '\n';
        return 1;
    }
    if (*glyphdata::ArtWarnings)
        std::cerr << "problemas na arte dos caracteres:\n" << glyphdata::ArtWarnings << '\n';
    return 0;
}

vorelux::cli::CommandRegistration
    reg("glyphs",
        {"glyphs -o FOLHA.png",
         "desenha todas as tabelas de caracteres (fontes 1..4, sprites, desenhos) numa folha "
         "PNG com legendas",
         run,
         {{"-o", "FOLHA.png", "o arquivo PNG a gravar"}}});

} // namespace

// vorelux canvas FILE.vpg --page P --line L --cursor I [-o CANVAS.png]:
// the edit canvas of one line of a page file, as rasterize draws it.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "picture_options.h"
#include "render/edit_canvas.h"
#include "render/png.h"

#include <iostream>

namespace {

// Rasterizes the line with the cursor after byte `index` and prints the
// LED columns, the column map and the cursor column; writes the canvas
// picture when `output` is given.
int rasterizeAndPrint(const vorelux::LineStream& edit, int32_t lineIndex, int32_t index,
                      const std::string& output, vorelux::LedColour colour) {
    using namespace vorelux;
    GlyphRenderer glyphs;
    PanelImage screen{};
    EditCanvas canvas(glyphs, screen);
    canvas.setColour(colour);
    EditView cfg;
    cfg.lineIndex = lineIndex;
    cfg.cursorByte = index;
    cfg.windowStart = 2;
    canvas.rasterize(cfg, edit);

    std::cout << "screen " << cli::hexBytes(screen.data(), PanelColumns) << '\n';
    std::cout << "map";
    for (int32_t entry : cfg.columnMap) std::cout << ' ' << entry;
    std::cout << "\ncursor " << cfg.cursorColumn << '\n';
    if (!output.empty()) {
        const CanvasImage& image = canvas.canvas();
        std::string error;
        if (!writePng(output, image.width, image.height, image.pixels.data(), image.width, error)) {
            std::cerr << "vorelux canvas: " << error << '\n';
            return 1;
        }
    }
    return 0;
}

int run(const vorelux::cli::Args& argsIn) {
    using namespace vorelux;
    cli::Args args = argsIn;
    std::string page, line, cursor, output;
    const bool havePage = cli::takeOption(args, "--page", page);
    const bool haveLine = cli::takeOption(args, "--line", line);
    const bool haveCursor = cli::takeOption(args, "--cursor", cursor);
    cli::takeOption(args, "-o", output);
    std::string colourWord;
    const bool haveColour = cli::takeOption(args, "--colour", colourWord);
    long p = 0, l = 0, index = 0;
    if (args.size() != 1 || !havePage || !haveLine || !haveCursor)
        return cli::usageError("canvas", "espera um arquivo de páginas, --page, --line e --cursor");
    if (!cli::parseInt(page, p) || !cli::parseInt(line, l) || !cli::parseInt(cursor, index))
        return cli::usageError("canvas", "--page, --line e --cursor esperam números");
    LedColour colour = DefaultLedColour;
    if (!cli::checkColourOption("canvas", haveColour, colourWord, colour)) return 2;
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(args[0], data, error, PageFileSizeLimit)) {
        std::cerr << "vorelux canvas: não foi possível ler " << args[0] << ": " << error << '\n';
        return 1;
    }
    DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        std::cerr << "vorelux canvas: " << args[0] << " está danificado: " << decoded.problem
                  << '\n';
        return 1;
    }
    if (p < 1 || p > PageCount) {
        std::cerr << "vorelux canvas: --page espera 1..8\n";
        return 2;
    }
    const auto& lines = decoded.pages[size_t(p - 1)];
    if (l < 1 || size_t(l) > lines.size()) {
        std::cerr << "vorelux canvas: a página " << p << " tem " << lines.size()
                  << (lines.size() == 1 ? " linha\n" : " linhas\n");
        return 2;
    }
    const LineStream& edit = lines[size_t(l - 1)];
    if (index < 2 || size_t(index) >= edit.size()) {
        std::cerr << "vorelux canvas: --cursor espera 2.." << edit.size() - 1 << " nesta linha\n";
        return 2;
    }
    if (isDrawingEscapeAt(edit, size_t(index)) && size_t(index) + 1 < edit.size()) {
        std::cerr << "vorelux canvas: o byte " << index
                  << " é o escape de um par de desenho, não uma posição do cursor\n";
        return 2;
    }

    return rasterizeAndPrint(edit, int32_t(l - 1), int32_t(index), output, colour);
}

vorelux::cli::CommandRegistration
    reg("canvas", {"canvas ARQUIVO.vpg --page P --line L --cursor I [-o TELA.png] [--colour COR]",
                   "desenha a linha L da página P com o cursor após o byte I como a área de "
                   "edição a mostra: colunas do painel, mapa de colunas, coluna do cursor",
                   run,
                   {vorelux::cli::PageOption,
                    {"--line", "L", "a linha da página, a partir de 1"},
                    {"--cursor", "I", "o byte após o qual fica o cursor, a partir de 2"},
                    {"-o", "TELA.png", "grava também a imagem da área de edição"},
                    vorelux::cli::ColourOption}});

} // namespace

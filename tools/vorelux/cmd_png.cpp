// vorelux png FILE.vpg --page P --at-cycle N -o OUT.png [--scale S]
// [--look dots|grid] [--at ...]: the frame a page's preview shows at cycle N
// of its first round, as a picture for printed proofs.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "picture_options.h"
#include "preview/led_picture.h"
#include "preview/still.h"
#include "render/clock.h"
#include "render/png.h"

#include <iostream>
#include <optional>

namespace vorelux::cli {
namespace {

struct PngOptions : PictureOptions {
    long cycle = 0;
};

std::optional<int> parsePngOptions(const Args& input, PngOptions& o) {
    Args args = input;
    std::string pageValue, cycleValue;
    const bool havePage = takeOption(args, "--page", pageValue);
    const bool haveCycle = takeOption(args, "--at-cycle", cycleValue);
    const bool haveOut = takeOption(args, "-o", o.out);
    const PictureArgs given = takePictureArgs(args);
    if (args.size() != 1 || !havePage || !haveCycle || !haveOut || o.out.empty())
        return usageError("png", "espera um arquivo de páginas, --page, --at-cycle e -o");
    o.file = args[0];
    if (auto usage = checkPictureOptions("png", pageValue, given, o)) return usage;
    if (!parseInt(cycleValue, o.cycle) || o.cycle < 0) {
        std::cerr << "vorelux png: --at-cycle espera um número de ciclo, 0 ou mais\n";
        return 2;
    }
    return std::nullopt;
}

int png(const Args& input) {
    PngOptions o;
    if (auto usage = parsePngOptions(input, o)) return *usage;
    preview::VectorLineSource lines;
    if (auto failed = loadPicturePage("png", o, lines)) return *failed;
    std::string error;
    GlyphRenderer glyphs;
    FixedClock clock(o.at);
    const preview::Still still = preview::frameAtCycle(lines, glyphs, clock, o.cycle);
    if (!still.found) {
        std::cerr << "vorelux png: a página " << o.page << " dura " << still.roundCycles
                  << " ciclos (0.." << still.roundCycles - 1 << "). Nada foi gravado.\n";
        return 1;
    }
    const preview::LedPainter painter(o.look, int(o.scale), o.colour);
    const std::vector<uint32_t> pixels = painter.paintRgb(still.image);
    // Through a temporary file: a failed write keeps whatever was there.
    const std::vector<uint8_t> bytes =
        encodePng(painter.width(), painter.height(), pixels.data(), painter.width());
    if (!writeWholeFileSafely(o.out, bytes, error)) {
        std::cerr << "vorelux png: não foi possível gravar " << o.out << ": " << error << "\n";
        return 1;
    }
    std::cout << o.out << ": ciclo " << o.cycle << ", o quadro mostrado desde o ciclo "
              << still.frameStart << "\n";
    return 0;
}

CommandRegistration reg("png", {"png ARQUIVO.vpg --page P --at-cycle N -o SAIDA.png [--scale S] "
                                "[--look dots|grid] [--colour COR] [--at ...]",
                                "o quadro que a pré-visualização da página P mostra no ciclo N, "
                                "como imagem",
                                png,
                                {PageOption,
                                 {"--at-cycle", "N", "o ciclo da primeira volta, 0 ou mais"},
                                 {"-o", "SAIDA.png", "o arquivo PNG a gravar"},
                                 ScaleOption,
                                 LookOption,
                                 ColourOption,
                                 AtOption}});

} // namespace
} // namespace vorelux::cli

// vorelux gif FILE.vpg --page P -o OUT.gif [--rounds R] [--scale S] [--look L] [--force]:
// an animated GIF of a page's preview, timed as the panel plays it. An
// export estimated past 500 MB needs --force.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "picture_options.h"
#include "preview/gif_export.h"
#include "preview/page_player.h"
#include "remove_on_interrupt.h"
#include "render/clock.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace vorelux::cli {
namespace {

struct GifOptions : PictureOptions {
    long rounds = 1;
    bool force = false;
};

constexpr uint64_t Megabyte = 1000 * 1000;

// The command line, or the exit code of a usage error (told on stderr).
std::optional<int> parseGifOptions(const Args& input, GifOptions& o) {
    Args args = input;
    std::string pageValue, roundsValue;
    const bool havePage = takeOption(args, "--page", pageValue);
    const bool haveOut = takeOption(args, "-o", o.out);
    const bool haveRounds = takeOption(args, "--rounds", roundsValue);
    o.force = takeFlag(args, "--force");
    const PictureArgs given = takePictureArgs(args);
    if (args.size() != 1 || !havePage || !haveOut || o.out.empty())
        return usageError("gif", "espera um arquivo de páginas, --page e -o");
    o.file = args[0];
    if (haveRounds && (!parseInt(roundsValue, o.rounds) || o.rounds < 1 || o.rounds > 100)) {
        std::cerr << "vorelux gif: --rounds espera 1..100\n";
        return 2;
    }
    return checkPictureOptions("gif", pageValue, given, o);
}

// Without --force, an export estimated past the limit is refused (told on
// stderr) before anything is written.
bool refusedForSize(const GifOptions& o, const preview::LineSource& lines) {
    if (o.force) return false;
    preview::GifSizeEstimate estimate(int(o.scale), o.look);
    GlyphRenderer glyphs;
    FixedClock clock(o.at);
    preview::runPage(lines, glyphs, clock, estimate, {.rounds = int(o.rounds)});
    const uint64_t bytes = estimate.bytes();
    if (bytes <= preview::GifSizeLimit) return false;
    std::cerr << "vorelux gif: o GIF terá cerca de " << (bytes + Megabyte / 2) / Megabyte
              << " MB, mais que o limite de " << preview::GifSizeLimit / Megabyte
              << " MB; nada foi gravado. Use --force para gravá-lo mesmo assim.\n";
    return true;
}

int gif(const Args& input) {
    GifOptions o;
    if (auto usage = parseGifOptions(input, o)) return *usage;
    preview::VectorLineSource lines;
    if (auto failed = loadPicturePage("gif", o, lines)) return *failed;
    if (refusedForSize(o, lines)) return 1;
    // The writer streams to a temporary file beside the target and renames
    // it at the end; a failure, Ctrl+C or SIGTERM removes it, so nothing
    // half-written is ever left.
    RemoveOnInterrupt cleanup;
    preview::GifPreviewWriter writer;
    std::string error;
    if (!writer.open(o.out, int(o.scale), error, o.look, o.colour)) {
        std::cerr << "vorelux gif: não foi possível criar " << o.out << ": " << error << "\n";
        return 1;
    }
    cleanup.arm(writer.temporaryPath());
    GlyphRenderer glyphs;
    FixedClock clock(o.at);
    preview::runPage(lines, glyphs, clock, writer, {.rounds = int(o.rounds)});
    const bool written = writer.finish(error);
    cleanup.arm({});
    if (!written) {
        std::cerr << "vorelux gif: não foi possível gravar " << o.out << ": " << error << "\n";
        return 1;
    }
    std::cout << o.out << ": " << writer.framesWritten() << " quadros, " << writer.cycles()
              << " ciclos, " << writer.centiseconds() / 100 << "."
              << writer.centiseconds() % 100 / 10 << writer.centiseconds() % 10 << " s\n";
    return 0;
}

CommandRegistration
    reg("gif", {"gif ARQUIVO.vpg --page P -o SAIDA.gif [--rounds R] [--scale S] [--look dots|grid] "
                "[--colour COR] [--at ...] [--force]",
                "um GIF animado da pré-visualização da página P, no tempo do painel",
                gif,
                {PageOption,
                 {"-o", "SAIDA.gif", "o arquivo GIF a gravar"},
                 {"--rounds", "R", "quantas voltas, 1..100 (padrão: 1)"},
                 ScaleOption,
                 LookOption,
                 ColourOption,
                 AtOption,
                 {"--force", "", "grava mesmo quando a estimativa passa de 500 MB"}}});

} // namespace
} // namespace vorelux::cli

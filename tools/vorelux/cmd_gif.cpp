// vorelux gif FILE.vpg --page P -o OUT.gif [--rounds R] [--scale S] [--look L]:
// an animated GIF of a page's preview, timed as the panel plays it.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "preview/engine.h"
#include "preview/gif_export.h"
#include "render/clock.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace vorelux::cli {
namespace {

struct GifOptions {
    std::string file, out;
    long page = 0, rounds = 1, scale = 10;
    preview::LedLook look = preview::LedLook::Dots;
    LocalDateTime at;
};

// The command line, or the exit code of a usage error (told on stderr).
std::optional<int> parseGifOptions(const Args& input, GifOptions& o) {
    Args args = input;
    std::string pageValue, roundsValue, scaleValue, lookValue, atText;
    const bool havePage = takeOption(args, "--page", pageValue);
    const bool haveOut = takeOption(args, "-o", o.out);
    const bool haveRounds = takeOption(args, "--rounds", roundsValue);
    const bool haveScale = takeOption(args, "--scale", scaleValue);
    const bool haveLook = takeOption(args, "--look", lookValue);
    const bool haveAt = takeOption(args, "--at", atText);
    if (args.size() != 1 || !havePage || !haveOut || o.out.empty()) {
        std::cerr << "usage: vorelux gif FILE.vpg --page P -o OUT.gif [--rounds R] [--scale S] "
                     "[--look dots|grid]\n";
        return 2;
    }
    o.file = args[0];
    if (!parseInt(pageValue, o.page) || o.page < 1 || o.page > PageCount) {
        std::cerr << "vorelux gif: --page must be 1..8\n";
        return 2;
    }
    if (haveRounds && (!parseInt(roundsValue, o.rounds) || o.rounds < 1 || o.rounds > 100)) {
        std::cerr << "vorelux gif: --rounds must be 1..100\n";
        return 2;
    }
    if (haveScale && (!parseInt(scaleValue, o.scale) || o.scale < preview::GifMinScale ||
                      o.scale > preview::GifMaxScale)) {
        std::cerr << "vorelux gif: --scale must be " << preview::GifMinScale << ".."
                  << preview::GifMaxScale << " pixels per LED\n";
        return 2;
    }
    if (haveLook && !preview::parseLedLook(lookValue, o.look)) {
        std::cerr << "vorelux gif: --look must be dots or grid\n";
        return 2;
    }
    o.at = SystemClock().now();
    if (haveAt && !parseLocalDateTime(atText, o.at)) {
        std::cerr << "vorelux gif: --at wants a moment as \"YYYY-MM-DD HH:MM:SS\", not \"" << atText
                  << "\"\n";
        return 2;
    }
    return std::nullopt;
}

int gif(const Args& input) {
    GifOptions options;
    if (auto usage = parseGifOptions(input, options)) return *usage;
    const std::vector<std::string> args{options.file};
    const std::string& out = options.out;
    const long page = options.page, rounds = options.rounds, scale = options.scale;
    const LocalDateTime at = options.at;
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(args[0], data, error, PageFileSizeLimit)) {
        std::cerr << "vorelux gif: cannot read " << args[0] << ": " << error << "\n";
        return 1;
    }
    const DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        std::cerr << "vorelux gif: " << args[0] << " is damaged: " << decoded.problem << "\n";
        return 1;
    }
    preview::VectorLineSource lines(decoded.pages[size_t(page - 1)]);
    if (!preview::PreviewEngine::pageHasContent(lines)) {
        std::cerr << "vorelux gif: Não há nenhuma mensagem para ser exibida na página " << page
                  << ". Nothing was written.\n";
        return 1;
    }
    // The writer works beside the target and renames at the end, so a
    // failure never leaves a half-written GIF under the requested name.
    preview::GifPreviewWriter writer;
    if (!writer.open(out, int(scale), error, options.look)) {
        std::cerr << "vorelux gif: cannot create " << out << ": " << error << "\n";
        return 1;
    }
    GlyphRenderer glyphs;
    FixedClock clock(at);
    preview::PreviewEngine engine(lines, glyphs, clock);
    engine.run(writer, int(rounds));
    if (!writer.finish(error)) {
        std::cerr << "vorelux gif: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    std::cout << out << ": " << writer.framesWritten() << " frames, " << writer.cycles()
              << " cycles, " << writer.centiseconds() / 100 << "."
              << writer.centiseconds() % 100 / 10 << writer.centiseconds() % 10 << " s\n";
    return 0;
}

CommandRegistration
    reg("gif", {"gif FILE.vpg --page P -o OUT.gif [--rounds R] [--scale S] [--look dots|grid] "
                "[--at ...]",
                "an animated GIF of page P's preview (S pixels per LED, default 10; grid: the "
                "preview window's look)",
                gif});

} // namespace
} // namespace vorelux::cli

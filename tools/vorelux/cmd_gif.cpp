// vorelux gif FILE.vpg --page P -o OUT.gif [--rounds R] [--scale S] [--look L]:
// an animated GIF of a page's preview, timed as the panel plays it.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "picture_options.h"
#include "preview/engine.h"
#include "preview/gif_export.h"
#include "render/clock.h"

#include <cstdio>
#include <iostream>
#include <optional>

namespace vorelux::cli {
namespace {

struct GifOptions : PictureOptions {
    long rounds = 1;
};

// The command line, or the exit code of a usage error (told on stderr).
std::optional<int> parseGifOptions(const Args& input, GifOptions& o) {
    Args args = input;
    std::string pageValue, roundsValue;
    const bool havePage = takeOption(args, "--page", pageValue);
    const bool haveOut = takeOption(args, "-o", o.out);
    const bool haveRounds = takeOption(args, "--rounds", roundsValue);
    const PictureArgs given = takePictureArgs(args);
    if (args.size() != 1 || !havePage || !haveOut || o.out.empty()) {
        std::cerr << "usage: vorelux gif FILE.vpg --page P -o OUT.gif [--rounds R] [--scale S] "
                     "[--look dots|grid]\n";
        return 2;
    }
    o.file = args[0];
    if (haveRounds && (!parseInt(roundsValue, o.rounds) || o.rounds < 1 || o.rounds > 100)) {
        std::cerr << "vorelux gif: --rounds must be 1..100\n";
        return 2;
    }
    return checkPictureOptions("gif", pageValue, given, o);
}

int gif(const Args& input) {
    GifOptions o;
    if (auto usage = parseGifOptions(input, o)) return *usage;
    preview::VectorLineSource lines;
    if (auto failed = loadPicturePage("gif", o, lines)) return *failed;
    // The writer works beside the target and renames at the end, so a
    // failure never leaves a half-written GIF under the requested name.
    preview::GifPreviewWriter writer;
    std::string error;
    if (!writer.open(o.out, int(o.scale), error, o.look)) {
        std::cerr << "vorelux gif: cannot create " << o.out << ": " << error << "\n";
        return 1;
    }
    GlyphRenderer glyphs;
    FixedClock clock(o.at);
    preview::PreviewEngine engine(lines, glyphs, clock);
    engine.run(writer, int(o.rounds));
    if (!writer.finish(error)) {
        std::cerr << "vorelux gif: cannot write " << o.out << ": " << error << "\n";
        return 1;
    }
    std::cout << o.out << ": " << writer.framesWritten() << " frames, " << writer.cycles()
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

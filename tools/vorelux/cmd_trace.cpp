// vorelux trace FILE.vpg --page P [--rounds R] [--at "YYYY-MM-DD HH:MM:SS"]:
// the frames of a page's preview with the clock fixed at one moment.
#include "command.h"
#include "files/file_io.h"
#include "files/page_file.h"
#include "preview/page_player.h"
#include "render/clock.h"

#include <cstdio>
#include <iostream>

namespace vorelux::cli {
namespace {

// Prints each frame as it comes: cycles, a space, columns 0..63 in hex.
class PrintingSink final : public preview::FrameSink {
  public:
    bool show(const PanelImage& screen, uint8_t cycles) override {
        char line[4 + 1 + 2 * PanelColumns + 2];
        int n = std::snprintf(line, sizeof line, "%d ", int(cycles));
        for (int c = 0; c < PanelColumns; ++c)
            n += std::snprintf(line + n, sizeof line - size_t(n), "%02X", screen[size_t(c)]);
        std::fputs(line, stdout);
        std::fputc('\n', stdout);
        return true;
    }
};

int trace(const Args& input) {
    Args args = input;
    std::string pageValue, roundsValue, atText;
    const bool havePage = takeOption(args, "--page", pageValue);
    const bool haveRounds = takeOption(args, "--rounds", roundsValue);
    const bool haveAt = takeOption(args, "--at", atText);
    long page = 0, rounds = 1;
    if (args.size() != 1 || !havePage)
        return usageError("trace", "espera um arquivo de páginas e --page");
    if (!parseInt(pageValue, page) || page < 1 || page > PageCount) {
        std::cerr << "vorelux trace: --page espera 1..8\n";
        return 2;
    }
    if (haveRounds && (!parseInt(roundsValue, rounds) || rounds < 1 || rounds > 1000)) {
        std::cerr << "vorelux trace: --rounds espera 1..1000\n";
        return 2;
    }
    LocalDateTime at = SystemClock().now();
    if (haveAt && !parseLocalDateTime(atText, at)) {
        std::cerr << "vorelux trace: --at espera um momento como \"AAAA-MM-DD HH:MM:SS\", não \""
                  << atText << "\"\n";
        return 2;
    }
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(args[0], data, error, PageFileSizeLimit)) {
        std::cerr << "vorelux trace: não foi possível ler " << args[0] << ": " << error << "\n";
        return 1;
    }
    const DecodedPageFile decoded = decodePageFile(data);
    if (!decoded.ok) {
        std::cerr << "vorelux trace: " << args[0] << " está danificado: " << decoded.problem
                  << "\n";
        return 1;
    }
    preview::VectorLineSource lines(decoded.pages[size_t(page - 1)]);
    GlyphRenderer glyphs;
    FixedClock clock(at);
    PrintingSink sink;
    if (preview::runPage(lines, glyphs, clock, sink, {.rounds = int(rounds)}) ==
        preview::RunResult::NothingToPlay) {
        std::cerr << "vorelux trace: Não há nenhuma mensagem para ser exibida na página " << page
                  << ".\n";
        return 1;
    }
    std::fflush(stdout);
    return 0;
}

CommandRegistration reg("trace",
                        {"trace ARQUIVO.vpg --page P [--rounds R] [--at \"AAAA-MM-DD HH:MM:SS\"]",
                         "os quadros da pré-visualização da página P (ciclos, depois as colunas "
                         "0..63 em hexadecimal)",
                         trace,
                         {{"--page", "P", "a página, 1..8"},
                          {"--rounds", "R", "quantas voltas, 1..1000 (padrão: 1)"},
                          {"--at", "\"AAAA-MM-DD HH:MM:SS\"",
                           "o momento que os campos ao vivo mostram (padrão: agora)"}}});

} // namespace
} // namespace vorelux::cli

// vorelux make OUT.vpg [--page N] [--in E] [--out X] LINE...: a page file
// from the command line, each argument one line of page N.
#include "command.h"
#include "files/page_file.h"
#include "model/charset.h"

#include <iostream>

namespace vorelux::cli {
namespace {

int make(const Args& input) {
    Args args = input;
    std::string value;
    long page = 1, entry = 1, exitEffect = 1;
    if (takeOption(args, "--page", value) && (!parseInt(value, page) || page < 1 || page > 8)) {
        std::cerr << "vorelux make: --page espera 1..8\n";
        return 2;
    }
    for (auto [flag, target] : {std::pair{"--in", &entry}, std::pair{"--out", &exitEffect}}) {
        if (takeOption(args, flag, value) &&
            (!parseInt(value, *target) || *target < 1 || *target > EffectCount)) {
            std::cerr << "vorelux make: " << flag << " espera um número de efeito 1..61\n";
            return 2;
        }
    }
    if (args.size() < 2)
        return usageError("make", "espera o arquivo a gravar e ao menos uma LINHA");
    PageStore store;
    std::vector<LineStream> lines;
    int total = 0;
    for (size_t i = 1; i < args.size(); ++i) {
        LineStream line{LineStart, effectByte(int(entry)), effectByte(int(exitEffect))};
        for (char16_t c : utf8ToUtf16(args[i])) line.push_back(convertPastedCharacter(c));
        total += int(line.size());
        lines.push_back(std::move(line));
    }
    store.setPageLines(int(page) - 1, std::move(lines)); // 1..8, checked above
    if (total >= PageByteLimit) {
        std::cerr << "vorelux make: a página " << page << " teria " << total
                  << " bytes; uma página comporta no máximo " << PageByteLimit - 1
                  << ". Nada foi gravado.\n";
        return 1;
    }
    std::string error;
    if (savePageFile(store, args[0], 255, error) != SaveOutcome::Saved) {
        std::cerr << "vorelux make: " << args[0] << ": " << error << "\n";
        return 1;
    }
    return 0;
}

CommandRegistration reg("make",
                        {"make SAIDA.vpg [--page N] [--in E] [--out X] LINHA...",
                         "grava um arquivo de páginas cuja página N tem uma linha por argumento",
                         make,
                         {{"--page", "N", "a página, 1..8 (padrão: 1)"},
                          {"--in", "E", "o efeito de entrada das linhas, 1..61 (padrão: 1)"},
                          {"--out", "X", "o efeito de saída das linhas, 1..61 (padrão: 1)"}}});

} // namespace
} // namespace vorelux::cli

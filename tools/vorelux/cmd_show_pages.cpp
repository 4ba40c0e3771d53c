// vorelux show-pages 1,2,5: the pages the target panels display (parameter 0),
// as the send dialog's "Exibir" sets them.
#include "command.h"
#include "link_session.h"

#include <iostream>

namespace vorelux::cli {
namespace {

int showPages(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    std::optional<std::vector<int>> pages;
    if (args.size() == 1) pages = parsePageList(args[0]);
    if (!pages)
        return usageError("show-pages",
                          "espera PÁGINAS: números de página 1..8 separados por vírgula");
    std::array<bool, PageCount> checked{};
    for (int p : *pages) checked[size_t(p)] = true;
    LinkSession session("vorelux show-pages", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    return session.sendToTargets(session.link().parameter(ParPagesToDisplay, displayMask(checked)));
}

CommandRegistration reg("show-pages",
                        {std::string("show-pages PÁGINAS ") + LinkOptionsUsage,
                         "faz os painéis de destino exibirem só as páginas dadas (1,2,5)",
                         showPages, linkOptionSpecs(),
                         "PÁGINAS: números de página 1..8 separados por vírgula, ao menos um\n"});

} // namespace
} // namespace vorelux::cli

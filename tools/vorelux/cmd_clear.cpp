// vorelux clear --pages 1,3: empties pages on the target panels, as the send
// dialog's "Limpar" does (each page becomes one empty line).
#include "command.h"
#include "link_session.h"

#include <iostream>

namespace vorelux::cli {
namespace {

int clear(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    std::string pagesText;
    std::optional<std::vector<int>> pages;
    if (takeOption(args, "--pages", pagesText)) pages = parsePageList(pagesText);
    if (!args.empty()) return usageError("clear", "argumento a mais: " + args[0]);
    if (!pages)
        return usageError("clear", "--pages espera números de página 1..8 separados por vírgula");
    LinkSession session("vorelux clear", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    return session.sendPages(clearJobs(*pages));
}

CommandRegistration reg("clear",
                        {std::string("clear --pages 1,3 ") + LinkOptionsUsage,
                         "esvazia páginas dos painéis de destino", clear,
                         withLinkOptions({{"--pages", "1,3", "as páginas a esvaziar, 1..8"}})});

} // namespace
} // namespace vorelux::cli

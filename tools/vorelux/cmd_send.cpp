// vorelux send FILE.vpg [--pages 1,3]: uploads pages of a page file to the
// target panels, as the send dialog's "Enviar" does.
#include "command.h"
#include "files/page_file.h"
#include "link_session.h"

#include <iostream>

namespace vorelux::cli {
namespace {

int send(const Args& input) {
    Args args = input;
    LinkOptions options = takeLinkOptions(args);
    std::string pagesText;
    bool pagesGiven = takeOption(args, "--pages", pagesText);
    std::optional<std::vector<int>> pages;
    if (pagesGiven) pages = parsePageList(pagesText);
    if (args.size() != 1) return usageError("send", "espera um arquivo de páginas");
    if (pagesGiven && !pages)
        return usageError("send", "--pages espera números de página 1..8 separados por vírgula");
    PageStore store;
    std::string error;
    if (!loadPageFile(store, args[0], 255, error)) {
        std::cerr << "vorelux send: " << args[0] << ": " << error << "\n";
        return ExitFailed;
    }
    if (!pages) {
        pages.emplace();
        for (int p = 0; p < PageCount; ++p)
            if (sendBoxPreselected(store.pages()[size_t(p)])) pages->push_back(p);
        if (pages->empty()) {
            std::cerr << "vorelux send: " << args[0] << ": nenhuma página com texto; nada foi "
                      << "enviado\n";
            return ExitFailed;
        }
    }
    LinkSession session("vorelux send", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    return session.sendPages(uploadJobs(store.pages(), *pages));
}

CommandRegistration reg("send",
                        {std::string("send ARQUIVO.vpg [--pages 1,3] ") + LinkOptionsUsage,
                         "envia páginas de um arquivo de páginas aos painéis de destino", send,
                         withLinkOptions({{"--pages", "1,3",
                                           "as páginas a enviar, 1..8 (padrão: as que têm "
                                           "texto)"}})});

} // namespace
} // namespace vorelux::cli

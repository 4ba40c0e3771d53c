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
    if (args.size() != 1 || args[0].rfind("--", 0) == 0 || (pagesGiven && !pages)) {
        std::cerr << "usage: vorelux send FILE.vpg [--pages 1,3] " << LinkOptionsUsage
                  << "\n  --pages: page numbers 1..8 separated by commas (default: the pages "
                     "with text)\n";
        return ExitUsage;
    }
    PageStore store;
    std::string error;
    if (!loadPageFile(store, args[0], 255, error)) {
        std::cerr << "vorelux send: " << error << "\n";
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
                        {std::string("send FILE.vpg [--pages 1,3] ") + LinkOptionsUsage,
                         "uploads pages of a page file (default: the pages with text) to the "
                         "target panels",
                         send});

} // namespace
} // namespace vorelux::cli

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
    if (!pages) {
        std::cerr << "usage: vorelux show-pages PAGES " << LinkOptionsUsage
                  << "\n  PAGES: page numbers 1..8 separated by commas, at least one\n";
        return ExitUsage;
    }
    std::array<bool, PageCount> checked{};
    for (int p : *pages) checked[size_t(p)] = true;
    LinkSession session("vorelux show-pages", options, std::cout, std::cerr);
    if (int code = session.open()) return code;
    return session.sendToTargets(session.link().parameter(ParPagesToDisplay, displayMask(checked)));
}

CommandRegistration
    reg("show-pages", {std::string("show-pages PAGES ") + LinkOptionsUsage,
                       "makes the target panels display only the pages given (1,2,5)", showPages});

} // namespace
} // namespace vorelux::cli

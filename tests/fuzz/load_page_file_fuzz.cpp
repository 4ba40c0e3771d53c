// Any bytes as a page file: either rejected, or loaded into a store whose
// pages all hold proper lines and which saves back to what it read.
#include "files/page_file.h"

#include <cstdlib>

namespace {
class NoPrompts : public vorelux::Prompter {
  public:
    int showPrompt(unsigned) override { return vorelux::ButtonNo; }
    void message(const std::string&) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorelux;
    const DecodedPageFile decoded = decodePageFile(std::vector<uint8_t>(data, data + size));
    if (!decoded.ok) return 0;
    NoPrompts prompter;
    PageStore store(prompter);
    store.replaceAllPages(decoded.pages);
    for (const auto& page : store.pages()) {
        if (page.lines.empty() || page.lineCount != int(page.lines.size())) abort();
        for (const auto& line : page.lines)
            if (line.size() < 3 || line[0] != 0xFF) abort();
    }
    // Saving what was read and reading it again gives the same pages.
    const auto again = decodePageFile(encodePageFile(store.pages(), "x.vpg"));
    if (!again.ok) abort();
    for (int p = 0; p < PageCount; ++p)
        if (again.pages[size_t(p)] != store.pages()[size_t(p)].lines) abort();
    return 0;
}

// Any bytes as a page file, through the real loader and writer on files:
// either rejected with nothing changed, or loaded into a store whose pages
// all hold proper lines, which saves back to a file that loads to the same
// pages. A file written by someone else after the load is reported before
// it is overwritten.
#include "files/page_file.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {
// Files in memory where the system has it: every save syncs to disk.
std::string scratchPath(const char* name) {
    const std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return folder + "/vorelux-fuzz-" + std::to_string(getpid()) + "-" + name;
}

void writeBytes(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
}

void checkPages(const vorelux::PageStore& store) {
    for (const auto& page : store.pages()) {
        if (page.lineCount() < 1) abort();
        for (const auto& line : page.lines())
            if (line.size() < 3 || line[0] != 0xFF) abort();
    }
}

// Saving what was read and reading it again gives the same pages; a change
// by another program in between is reported, and written over only when asked.
void roundTrip(vorelux::PageStore& store, const std::string& copy) {
    using namespace vorelux;
    std::string error;
    if (savePageFile(store, copy, 255, error) != SaveOutcome::Saved) abort();
    PageStore again;
    if (!loadPageFile(again, copy, 255, error)) abort();
    for (int p = 0; p < PageCount; ++p)
        if (again.page(p).lines() != store.page(p).lines()) abort();
    const uint8_t other[] = {'x'};
    writeBytes(copy, other, sizeof other);
    if (savePageFile(again, copy, 255, error) != SaveOutcome::ChangedOnDisk) abort();
    if (savePageFile(again, copy, 255, error, IfChangedOnDisk::Overwrite) != SaveOutcome::Saved)
        abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorelux;
    static const std::string source = scratchPath("in.vpg");
    static const std::string copy = scratchPath("out.vpg");
    writeBytes(source, data, size);
    PageStore store;
    store.setPageLines(0, {{0xFF, 0xC0, 0xC0, 'k'}});
    const auto before = store.pages();
    std::string error;
    const bool loaded = loadPageFile(store, source, 255, error);
    if (loaded != decodePageFile(std::vector<uint8_t>(data, data + size)).ok) abort();
    if (!loaded) {
        if (error.empty() || store.page(0).lines() != before[0].lines()) abort();
        return 0;
    }
    checkPages(store);
    roundTrip(store, copy);
    return 0;
}

// Any bytes as "conn.cfg": read through the real file path; a damaged file is
// replaced by a well-formed one, and the target list comes out ascending,
// each panel once, "every panel" alone.
#include "files/conn_cfg.h"
#include "files/file_io.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vorelux;
    static const std::string path = "/tmp/vorelux-fuzz-conn-" + std::to_string(getpid()) + ".cfg";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    ConnectionSettings cfg;
    readConnCfg(path, cfg);
    std::vector<uint8_t> written;
    std::string error;
    if (!readWholeFile(path, written, error, SmallFileSizeLimit) ||
        written.size() < ConnCfgHeaderSize)
        abort();
    const auto& targets = cfg.targetPanels;
    if (size >= ConnCfgHeaderSize && targets.size() > size - ConnCfgHeaderSize) abort();
    for (size_t i = 1; i < targets.size(); ++i)
        if (targets[i - 1] >= targets[i] || targets[0] == 0) abort();
    // Writing one field keeps the others as read.
    ConnectionSettings changed = cfg;
    changed.portNumber = cfg.portNumber + 1;
    if (!writeConnCfg(path, changed, ConnCfgPort, error)) abort();
    ConnectionSettings reread;
    readConnCfg(path, reread);
    if (reread.targetPanels != targets || reread.portNumber != ((cfg.portNumber + 1) & 0xFF))
        abort();
    return 0;
}

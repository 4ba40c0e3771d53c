#pragma once
// The page file: a 16-byte header, then one block per page (a 16-byte page
// header, the page's lines as they are, zero fill to a multiple of 16).
#include "model/store.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

using AllPageLines = std::array<std::vector<LineStream>, PageCount>;

// The bytes of a page file holding the pages whose bit is set in pageMask.
// The first three header bytes come from the extension of fileName (".vp").
std::vector<uint8_t> encodePageFile(const std::array<Page, PageCount>& pages,
                                    const std::string& fileName, uint8_t pageMask = 255);

struct DecodedPageFile {
    bool ok = false;
    std::string problem; // why the file is damaged (Portuguese), when !ok
    AllPageLines pages;
};
// Reads all eight pages, checking the whole file first: a block that runs
// past the end, or data that is not a sequence of proper lines, makes it damaged.
DecodedPageFile decodePageFile(const std::vector<uint8_t>& data);

enum class SaveOutcome {
    Saved,
    Failed,        // nothing written; `error` says why
    ChangedOnDisk, // nothing written: another program wrote the file since the pages met it
};
// What a save does with a file that changed on disk since the pages were
// read from or last saved to it: report it (the caller asks the operator),
// or write over it (the operator agreed).
enum class IfChangedOnDisk { Report, Overwrite };

// Writes the page file safely; on success clears Modified and records the
// file's stamp in the store. On failure the previous file is untouched,
// Modified stays set and `error` says why. A file that another program
// changed since the store's stamp is left alone unless `ifChanged` says
// Overwrite (ChangedOnDisk; `error` then holds the question to ask).
SaveOutcome savePageFile(PageStore& store, const std::string& fileName, uint8_t pageMask,
                         std::string& error, IfChangedOnDisk ifChanged = IfChangedOnDisk::Report);
// Reads the page file into all eight pages and makes page 0 current. A file
// that cannot be read or is damaged changes nothing; `error` is the message
// for the operator. The file's stamp is recorded in the store.
bool loadPageFile(PageStore& store, const std::string& fileName, uint8_t pageMask,
                  std::string& error);

// fileName with its extension replaced by ".vpg".
std::string withPageFileExtension(const std::string& fileName);

} // namespace vorelux

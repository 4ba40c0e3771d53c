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

// Writes the page file safely; on success clears Modified. On failure the
// previous file is untouched, Modified stays set and `error` says why.
bool savePageFile(PageStore& store, const std::string& FileName, uint8_t pageMask,
                  std::string& error);
// Reads the page file into all eight pages and makes page 0 current. A file
// that cannot be read or is damaged changes nothing; `error` is the message
// for the operator.
bool loadPageFile(PageStore& store, const std::string& FileName, uint8_t pageMask,
                  std::string& error);

// FileName with its extension replaced by ".vpg".
std::string withPageFileExtension(const std::string& fileName);

} // namespace vorelux

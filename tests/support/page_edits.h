#pragma once
// Line edits for setting up pages in tests, through the store's own operations.
#include "model/store.h"

#include <utility>

namespace vorelux::test {

// Line `index` of page `page` with `bytes` appended.
template <typename... Bytes>
void appendToLine(PageStore& store, int page, int32_t index, Bytes... bytes) {
    LineStream line = store.page(page).line(index);
    (line.push_back(uint8_t(bytes)), ...);
    store.replaceLine(page, index, std::move(line));
}

// The edit line with `bytes` appended.
template <typename... Bytes> void appendToEditLine(PageStore& store, Bytes... bytes) {
    appendToLine(store, store.currentPage(), store.editLineIndex(), bytes...);
}

// The edit line replaced by `line`.
inline void setEditLine(PageStore& store, LineStream line) {
    store.replaceLine(store.currentPage(), store.editLineIndex(), std::move(line));
}

} // namespace vorelux::test

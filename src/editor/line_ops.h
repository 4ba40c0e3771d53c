#pragma once
// Line-list operations on the current page: Enter (split or new line),
// splitting the edit line and joining two lines.
#include "model/store.h"

#include <cstdint>

namespace vorelux::editor {

// Enter: splits the edit line at the cursor, or adds an empty line below when
// the cursor stands at the end, and moves to the start of the new line.
void enterKey(PageStore& store);

// Splits the edit line: bytes index_caracter..end move to a new line (header
// 0xFF 192 192) right below it. No byte budget applies to the new header.
void splitLine(PageStore& store, int32_t index_caracter);

// Appends the content of line index_linha + 1 to line index_linha (its header
// is kept) and deletes the lower line. Callers make index_linha the edit line
// and put the cursor at its old end first. Returns false, changing nothing,
// when there is no line below.
bool joinWithNextLine(PageStore& store, int32_t index_linha);

} // namespace vorelux::editor

#pragma once
// Line-list operations on the current page: Enter (split or new line),
// splitting the edit line and joining two lines.
#include "model/store.h"

#include <cstdint>

namespace vorelux::editor {

// Enter: splits the edit line at the cursor, or adds an empty line below when
// the cursor stands at the end, and moves to the start of the new line.
void enterKey(PageStore& store);

// Splits the edit line: bytes byteIndex..end move to a new line (header
// 0xFF 192 192) right below it. No byte budget applies to the new header.
void splitLine(PageStore& store, int32_t byteIndex);

// Appends the content of line lineIndex + 1 to line lineIndex (its header
// is kept) and deletes the lower line. Callers make lineIndex the edit line
// and put the cursor at its old end first. Returns false, changing nothing,
// when there is no line below.
bool joinWithNextLine(PageStore& store, int32_t lineIndex);

} // namespace vorelux::editor

#include "editor/line_ops.h"

namespace vorelux::editor {

void enterKey(PageStore& store) {
    EditView& view = store.view();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    if (view.cursorByte < last)
        splitLine(store, view.cursorByte + 1);
    else
        store.insertLine(store.currentPage(), view.lineIndex + 1);
    // insertLine has put the cursor at the start of the new line.
    view.lineIndex += 1;
    store.setEditLine(view.lineIndex);
}

void splitLine(PageStore& store, int32_t byteIndex) {
    store.splitLine(store.view().lineIndex, byteIndex);
}

bool joinWithNextLine(PageStore& store, int32_t lineIndex) {
    if (lineIndex < 0 || lineIndex + 1 >= store.page().lineCount()) return false;
    store.appendNextLineContent(lineIndex);
    // deleteLine keeps the edit line's number, so the upper line stays current.
    store.deleteLine(lineIndex + 1);
    if (store.linesChanged) store.linesChanged();
    return true;
}

} // namespace vorelux::editor

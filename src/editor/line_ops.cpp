#include "editor/line_ops.h"

namespace vorelux::editor {

void enterKey(PageStore& store) {
    Page& page = store.page();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    if (page.cursorByte < last)
        splitLine(store, page.cursorByte + 1);
    else
        store.insertLine(store.currentPage(), page.lineIndex + 1);
    // insertLine has put the cursor at the start of the new line.
    page.lineIndex += 1;
    store.setEditLine(page.lineIndex);
}

void splitLine(PageStore& store, int32_t byteIndex) {
    Page& page = store.page();
    const int32_t upper = page.lineIndex;
    store.insertLine(store.currentPage(), upper + 1);
    LineStream& source = page.lines.at(size_t(upper));
    LineStream& target = page.lines.at(size_t(upper + 1));
    if (byteIndex < HeaderSize) byteIndex = HeaderSize;
    if (size_t(byteIndex) < source.size()) {
        target.insert(target.end(), source.begin() + byteIndex, source.end());
        source.resize(size_t(byteIndex));
    }
}

bool joinWithNextLine(PageStore& store, int32_t lineIndex) {
    Page& page = store.page();
    if (lineIndex < 0 || lineIndex + 1 >= page.lineCount) return false;
    const LineStream& lower = page.lines[size_t(lineIndex + 1)];
    LineStream& upper = page.lines[size_t(lineIndex)];
    if (lower.size() > size_t(HeaderSize))
        upper.insert(upper.end(), lower.begin() + HeaderSize, lower.end());
    // deleteLine keeps the edit line's number, so the upper line stays current.
    store.deleteLine(lineIndex + 1);
    if (store.linesChanged) store.linesChanged();
    return true;
}

} // namespace vorelux::editor

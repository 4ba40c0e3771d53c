#include "editor/line_ops.h"

namespace vorelux::editor {

void enterKey(PageStore& store) {
    Page& cfg = store.page();
    const int32_t last = int32_t(store.editLine().size()) - 1;
    if (cfg.cursorByte < last)
        splitLine(store, cfg.cursorByte + 1);
    else
        store.insertLine(store.currentPage(), cfg.lineIndex + 1);
    // insertLine has put the cursor at the start of the new line.
    cfg.lineIndex += 1;
    store.setEditLine(cfg.lineIndex);
}

void splitLine(PageStore& store, int32_t index_caracter) {
    Page& cfg = store.page();
    const int32_t upper = cfg.lineIndex;
    store.insertLine(store.currentPage(), upper + 1);
    LineStream& source = cfg.lines.at(size_t(upper));
    LineStream& target = cfg.lines.at(size_t(upper + 1));
    if (index_caracter < HeaderSize) index_caracter = HeaderSize;
    if (size_t(index_caracter) < source.size()) {
        target.insert(target.end(), source.begin() + index_caracter, source.end());
        source.resize(size_t(index_caracter));
    }
}

bool joinWithNextLine(PageStore& store, int32_t index_linha) {
    Page& cfg = store.page();
    if (index_linha < 0 || index_linha + 1 >= cfg.lineCount) return false;
    const LineStream& lower = cfg.lines[size_t(index_linha + 1)];
    LineStream& upper = cfg.lines[size_t(index_linha)];
    if (lower.size() > size_t(HeaderSize))
        upper.insert(upper.end(), lower.begin() + HeaderSize, lower.end());
    // deleteLine keeps the edit line's number, so the upper line stays current.
    store.deleteLine(index_linha + 1);
    if (store.redraw) store.redraw();
    return true;
}

} // namespace vorelux::editor

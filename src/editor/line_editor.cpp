#include "editor/line_editor.h"

#include "editor/line_ops.h"
#include "model/charset.h"

#include <algorithm>

namespace vorelux::editor {

namespace {

int32_t lastIndex(const PageStore& store) {
    return int32_t(store.editLine().size()) - 1;
}

uint8_t byteAt(const PageStore& store, int32_t index) {
    return PageStore::readByte(index, store.editLine());
}

// The cursor never names the escape of a drawing pair: step onto its code.
void stepPastEscape(PageStore& store) {
    EditView& view = store.view();
    if (view.cursorByte > 2 && view.cursorByte < lastIndex(store) &&
        byteAt(store, view.cursorByte) == DrawingEscape)
        ++view.cursorByte;
}

} // namespace

bool insertAfterCursor(PageStore& store, uint8_t code) {
    if (!store.insertByte(code, store.view().cursorByte + 1)) return false;
    ++store.view().cursorByte;
    return true;
}

bool insertDrawing(PageStore& store, int listIndex) {
    if (listIndex < 0 || listIndex >= DrawingCount) return false;
    if (!store.putDrawing(store.view().cursorByte, listIndex, true)) return false;
    store.view().cursorByte += 2;
    return true;
}

bool drawingCycleStep(PageStore& store, int32_t& drawingCycle, int step) {
    const bool fresh = drawingCycle == -1;
    drawingCycle += step;
    if (drawingCycle > DrawingCount - 1) drawingCycle = 0;
    if (drawingCycle < 0) drawingCycle = DrawingCount - 1;
    if (fresh) return insertDrawing(store, drawingCycle);
    // Replace the drawing just before the cursor; if the cursor has left it
    // (a click, another line), start a new one instead of overwriting text.
    EditView& view = store.view();
    const int32_t at = view.cursorByte;
    if (at >= 4 && byteAt(store, at - 1) == DrawingEscape && isDrawingCode(byteAt(store, at)))
        return store.putDrawing(at, drawingCycle, false);
    return insertDrawing(store, drawingCycle);
}

std::optional<uint8_t> typedCharacter(char16_t ch, bool shift) {
    if (shift && ch == u' ') ch = u'~';
    if (ch < 32) return std::nullopt;
    for (size_t i = 32; i < PanelCharset.size(); ++i)
        if (PanelCharset[i] == ch) return toPanelCharacter(ch, u' ');
    return std::nullopt;
}

uint8_t liveFieldForShortcut(char16_t letter) {
    for (const FunctionInfo& function : FunctionTable)
        if (char16_t(function.shortcut) == letter) return function.code;
    return 0;
}

bool backspaceKey(PageStore& store, bool& joinArmed) {
    EditView& view = store.view();
    if (view.cursorByte > 2) {
        joinArmed = false;
        store.removeByte(view.cursorByte);
        --view.cursorByte;
        // The removed byte was a drawing code: its escape goes too.
        if (view.cursorByte > 2 && byteAt(store, view.cursorByte) == DrawingEscape) {
            store.removeByte(view.cursorByte);
            --view.cursorByte;
        }
        return true;
    }
    const int32_t line = view.lineIndex;
    if (!joinArmed || line == 0) return false;
    if (store.editLine().size() <= size_t(HeaderSize)) {
        const bool followed = line < store.page().lineCount() - 1;
        store.deleteLine(line);
        // The line below took the deleted line's place: go up to the line above.
        if (followed) store.setEditLine(line - 1);
        store.view().cursorByte = lastIndex(store);
        return true;
    }
    store.setEditLine(line - 1);
    store.view().cursorByte = lastIndex(store);
    joinWithNextLine(store, line - 1);
    return true;
}

bool deleteKey(PageStore& store, bool& joinArmed) {
    EditView& view = store.view();
    if (view.cursorByte < lastIndex(store)) {
        joinArmed = false;
        // A drawing goes as a whole; an escape that ends the line (only a
        // damaged file holds one) stands alone, like the canvas shows it.
        if (byteAt(store, view.cursorByte + 1) == DrawingEscape &&
            view.cursorByte + 1 < lastIndex(store))
            store.removeByte(view.cursorByte + 1);
        store.removeByte(view.cursorByte + 1);
        return true;
    }
    const int32_t line = view.lineIndex;
    const bool hasNext = line < store.page().lineCount() - 1;
    if (store.editLine().size() <= size_t(HeaderSize)) {
        if (!hasNext) return false;
        store.deleteLine(line);
        return true;
    }
    if (!hasNext) return false;
    if (store.page().line(line + 1).size() <= size_t(HeaderSize)) {
        store.deleteLine(line + 1);
        return true;
    }
    if (!joinArmed) return false;
    joinWithNextLine(store, line);
    return true;
}

void homeKey(PageStore& store, bool ctrl) {
    if (ctrl) store.setEditLine(0);
    store.view().windowStart = 2;
    store.view().cursorByte = 2;
}

void endKey(PageStore& store, bool ctrl) {
    if (ctrl) store.setEditLine(store.page().lineCount() - 1);
    store.view().cursorByte = lastIndex(store);
}

void leftKey(PageStore& store) {
    EditView& view = store.view();
    if (view.cursorByte == 2) {
        view.windowStart = 2;
        return;
    }
    if (view.cursorByte > 2) {
        --view.cursorByte;
        if (view.cursorByte > 2 && byteAt(store, view.cursorByte) == DrawingEscape)
            --view.cursorByte;
    }
}

bool rightKey(PageStore& store) {
    EditView& view = store.view();
    if (view.cursorByte >= lastIndex(store)) return false;
    ++view.cursorByte;
    if (view.cursorByte < lastIndex(store) && byteAt(store, view.cursorByte) == DrawingEscape)
        ++view.cursorByte;
    return true;
}

namespace {
bool toLineStart(PageStore& store, int32_t target) {
    if (target < 0 || target >= store.page().lineCount()) return false;
    store.setEditLine(target);
    store.view().windowStart = 2;
    store.view().cursorByte = 2;
    return true;
}
} // namespace

bool upKey(PageStore& store) {
    return toLineStart(store, store.view().lineIndex - 1);
}

bool downKey(PageStore& store) {
    return toLineStart(store, store.view().lineIndex + 1);
}

bool moveToLine(PageStore& store, int32_t target) {
    if (target < 0 || target >= store.page().lineCount()) return false;
    store.setEditLine(target);
    stepPastEscape(store);
    return true;
}

std::optional<bool> placeCursorInLine(PageStore& store, int32_t target, int caret) {
    if (target < 0 || target >= store.page().lineCount()) return std::nullopt;
    store.setEditLine(target);
    EditView& view = store.view();
    view.cursorByte = std::clamp<int32_t>(caret + 2, 2, lastIndex(store));
    view.windowStart = 2;
    const int32_t before = view.cursorByte;
    stepPastEscape(store);
    return view.cursorByte != before;
}

int hitTestColumn(const std::vector<int32_t>& map, int column) {
    if (map.empty()) return -1;
    auto usable = [&](size_t k) { return k == 0 || map[k] != 0; };
    for (size_t k = 0; k < map.size(); ++k)
        if (usable(k) && map[k] == column) return int(k);
    for (size_t k = 0; k < map.size(); ++k)
        if (usable(k) && map[k] > column) return int(k);
    for (size_t k = map.size(); k-- > 0;)
        if (usable(k)) return int(k);
    return 0;
}

std::u16string EffectEntry::text() const {
    std::u16string caption = target == 2 ? u"SAÍDA     " : u"ENTRADA   ";
    caption[8] = tens;
    caption[9] = units;
    return caption;
}

void setLineEffect(PageStore& store, int which, int item) {
    if (which != 1 && which != 2) return;
    const auto effect = uint8_t((item + 192) % 256);
    // The same effect chosen again changes nothing to be saved.
    if (store.setEditLineEffect(which, effect)) store.setModified(true);
}

PasteResult pasteText(PageStore& store, const std::u16string& text) {
    PasteResult result;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            enterKey(store);
            ++result.lineBreaks;
            ++i;
            continue;
        }
        if (!insertAfterCursor(store, convertPastedCharacter(c))) {
            result.stopped = true;
            break;
        }
        ++result.inserted;
    }
    return result;
}

} // namespace vorelux::editor

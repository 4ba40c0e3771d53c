#include "editor/line_editor.h"

#include "editor/line_ops.h"
#include "model/charset.h"

#include <algorithm>

namespace vorelux::editor {

namespace {

int32_t lastIndex(const PageStore& store) {
    return int32_t(store.EditLine().size()) - 1;
}

uint8_t byteAt(const PageStore& store, int32_t index) {
    return PageStore::readByte(index, store.EditLine());
}

// The cursor never names the escape of a drawing pair: step onto its code.
void stepPastEscape(PageStore& store) {
    CFG& cfg = store.page();
    if (cfg.index_caracter > 2 && cfg.index_caracter < lastIndex(store) &&
        byteAt(store, cfg.index_caracter) == DrawingEscape)
        ++cfg.index_caracter;
}

} // namespace

bool insertAfterCursor(PageStore& store, uint8_t code) {
    if (!store.inserirByte(code, store.page().index_caracter + 1)) return false;
    // Read afresh: the insertion lets window events run first.
    ++store.page().index_caracter;
    return true;
}

bool insertDrawing(PageStore& store, int listIndex) {
    if (listIndex < 0 || listIndex >= DrawingCount) return false;
    if (!store.inserirDesenhos(store.page().index_caracter, listIndex, true)) return false;
    store.page().index_caracter += 2;
    return true;
}

void drawingCycleStep(PageStore& store, int32_t& DrawingCycle, int step) {
    const bool fresh = DrawingCycle == -1;
    DrawingCycle += step;
    if (DrawingCycle > DrawingCount - 1) DrawingCycle = 0;
    if (DrawingCycle < 0) DrawingCycle = DrawingCount - 1;
    if (fresh) {
        insertDrawing(store, DrawingCycle);
        return;
    }
    // Replace the drawing just before the cursor; if the cursor has left it
    // (a click, another line), start a new one instead of overwriting text.
    CFG& cfg = store.page();
    const int32_t at = cfg.index_caracter;
    if (at >= 4 && byteAt(store, at - 1) == DrawingEscape && isDrawingCode(byteAt(store, at)))
        store.inserirDesenhos(at, DrawingCycle, false);
    else
        insertDrawing(store, DrawingCycle);
}

std::optional<uint8_t> typedCharacter(char16_t ch, bool shift) {
    if (shift && ch == u' ') ch = u'~';
    if (ch < 32) return std::nullopt;
    for (size_t i = 32; i < PanelCharset.size(); ++i)
        if (PanelCharset[i] == ch) return ASCII_Vorelux_converter(ch, u' ');
    return std::nullopt;
}

uint8_t liveFieldForShortcut(char16_t letter) {
    for (const FunctionInfo& function : FunctionTable)
        if (char16_t(function.shortcut) == letter) return function.code;
    return 0;
}

bool backspaceKey(PageStore& store, bool& JoinArmed) {
    CFG& cfg = store.page();
    if (cfg.index_caracter > 2) {
        JoinArmed = false;
        store.removerByte(cfg.index_caracter);
        --cfg.index_caracter;
        // The removed byte was a drawing code: its escape goes too.
        if (cfg.index_caracter > 2 && byteAt(store, cfg.index_caracter) == DrawingEscape) {
            store.removerByte(cfg.index_caracter);
            --cfg.index_caracter;
        }
        return true;
    }
    const int32_t line = cfg.index_linha;
    if (!JoinArmed || line == 0) return false;
    if (store.EditLine().size() <= size_t(HeaderSize)) {
        const bool followed = line < cfg.num_linhas - 1;
        store.excluir_linha(line);
        // The line below took the deleted line's place: go up to the line above.
        if (followed) store.SetMemoryEdit(line - 1);
        store.page().index_caracter = lastIndex(store);
        return true;
    }
    store.SetMemoryEdit(line - 1);
    store.page().index_caracter = lastIndex(store);
    junta_linhas(store, line - 1);
    return true;
}

bool deleteKey(PageStore& store, bool& JoinArmed) {
    CFG& cfg = store.page();
    if (cfg.index_caracter < lastIndex(store)) {
        JoinArmed = false;
        // A drawing goes as a whole; an escape that ends the line (only a
        // damaged file holds one) stands alone, like the canvas shows it.
        if (byteAt(store, cfg.index_caracter + 1) == DrawingEscape &&
            cfg.index_caracter + 1 < lastIndex(store))
            store.removerByte(cfg.index_caracter + 1);
        store.removerByte(cfg.index_caracter + 1);
        return true;
    }
    const int32_t line = cfg.index_linha;
    const bool hasNext = line < cfg.num_linhas - 1;
    if (store.EditLine().size() <= size_t(HeaderSize)) {
        if (!hasNext) return false;
        store.excluir_linha(line);
        return true;
    }
    if (!hasNext) return false;
    if (cfg.Memory[size_t(line + 1)].size() <= size_t(HeaderSize)) {
        store.excluir_linha(line + 1);
        return true;
    }
    if (!JoinArmed) return false;
    junta_linhas(store, line);
    return true;
}

void homeKey(PageStore& store, bool ctrl) {
    if (ctrl) store.SetMemoryEdit(0);
    store.page().pos_ini = 2;
    store.page().index_caracter = 2;
}

void endKey(PageStore& store, bool ctrl) {
    if (ctrl) store.SetMemoryEdit(store.page().num_linhas - 1);
    store.page().index_caracter = lastIndex(store);
}

void leftKey(PageStore& store) {
    CFG& cfg = store.page();
    if (cfg.index_caracter == 2) {
        cfg.pos_ini = 2;
        return;
    }
    if (cfg.index_caracter > 2) {
        --cfg.index_caracter;
        if (cfg.index_caracter > 2 && byteAt(store, cfg.index_caracter) == DrawingEscape)
            --cfg.index_caracter;
    }
}

bool rightKey(PageStore& store) {
    CFG& cfg = store.page();
    if (cfg.index_caracter >= lastIndex(store)) return false;
    ++cfg.index_caracter;
    if (cfg.index_caracter < lastIndex(store) && byteAt(store, cfg.index_caracter) == DrawingEscape)
        ++cfg.index_caracter;
    return true;
}

namespace {
bool toLineStart(PageStore& store, int32_t target) {
    if (target < 0 || target >= store.page().num_linhas) return false;
    store.SetMemoryEdit(target);
    store.page().pos_ini = 2;
    store.page().index_caracter = 2;
    return true;
}
} // namespace

bool upKey(PageStore& store) {
    return toLineStart(store, store.page().index_linha - 1);
}

bool downKey(PageStore& store) {
    return toLineStart(store, store.page().index_linha + 1);
}

bool moveToLine(PageStore& store, int32_t target) {
    if (target < 0 || target >= store.page().num_linhas) return false;
    store.SetMemoryEdit(target);
    stepPastEscape(store);
    return true;
}

std::optional<bool> placeCursorInLine(PageStore& store, int32_t target, int caret) {
    if (target < 0 || target >= store.page().num_linhas) return std::nullopt;
    store.SetMemoryEdit(target);
    CFG& cfg = store.page();
    cfg.index_caracter = std::clamp<int32_t>(caret + 2, 2, lastIndex(store));
    cfg.pos_ini = 2;
    const int32_t before = cfg.index_caracter;
    stepPastEscape(store);
    return cfg.index_caracter != before;
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
    LineStream& line = store.EditLine();
    if (line.size() < size_t(HeaderSize)) return;
    line[size_t(which)] = uint8_t((item + 192) % 256);
    store.Modified = true;
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

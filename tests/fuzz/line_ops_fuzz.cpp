// Any sequence of the line editor's keys, clicks and list picks on any page a
// page file can hold, redrawn after each step as the window does. After every
// step:
//  - every page holds proper lines (0xFF, two effect bytes, content without
//    0xFF) and the cursor lies inside the edit line;
//  - only line headers (Enter, a split) take a page past its byte budget: a
//    step that adds content leaves the page under PageByteLimit;
//  - a refused insertion changes nothing, cursor included;
//  - no page but the current one changes;
//  - on pages whose drawings are whole pairs (escape + drawing code), they
//    stay whole and the cursor never stands between escape and code.
//
// Input: [flags] [page] [filler hi] [filler lo] [n] [n bytes of page lines,
//        0xFF between lines], then two bytes per step: what, argument.
// flags bit 0: keep the content as it comes (dangling escapes and all) and
// also call the split directly at any index; else every escape not followed
// by a drawing code becomes a space. Bit 1: answer Yes to "clear the page?".
#include "editor/line_editor.h"
#include "editor/line_ops.h"
#include "editor/neighbour_view.h"
#include "model/charset.h"
#include "render/edit_canvas.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace vorelux;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

// Lines as a page file holds them: 0xFF, two effect bytes, content without 0xFF.
std::vector<LineStream> pageLines(const uint8_t* bytes, size_t n, size_t filler, bool wholePairs) {
    std::vector<LineStream> raw(1);
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == LineStart)
            raw.emplace_back();
        else
            raw.back().push_back(bytes[i]);
    }
    std::vector<LineStream> lines;
    for (const LineStream& part : raw) {
        LineStream line = newLine();
        size_t from = 0;
        if (part.size() >= 2) {
            line[1] = effectByte(1 + part[0] % EffectCount);
            line[2] = effectByte(1 + part[1] % EffectCount);
            from = 2;
        }
        for (size_t i = from; i < part.size(); ++i) {
            if (wholePairs && part[i] == DrawingEscape) {
                if (i + 1 < part.size() && isDrawingCode(part[i + 1])) {
                    line.push_back(part[i]);
                    line.push_back(part[++i]);
                } else {
                    line.push_back(' ');
                }
                continue;
            }
            line.push_back(part[i]);
        }
        lines.push_back(std::move(line));
    }
    if (filler > 0) {
        lines.push_back(newLine());
        lines.back().insert(lines.back().end(), filler, 'x');
    }
    return lines;
}

int contentBytes(const Page& page) {
    return pageByteTotal(page) - HeaderSize * page.lineCount();
}

void checkPages(const PageStore& store, bool wholePairs) {
    check(store.currentPage() < PageCount);
    for (const Page& page : store.pages()) {
        check(page.lineCount() > 0);
        for (const LineStream& line : page.lines()) {
            check(line.size() >= size_t(HeaderSize) && line[0] == LineStart);
            check(isEffectByte(line[1]) && isEffectByte(line[2]));
            for (size_t i = HeaderSize; i < line.size(); ++i) {
                check(line[i] != LineStart);
                if (wholePairs && line[i] == DrawingEscape) {
                    check(i + 1 < line.size() && isDrawingCode(line[i + 1]));
                    ++i;
                }
            }
        }
    }
    const EditView& cfg = store.view();
    check(cfg.lineIndex >= 0 && cfg.lineIndex < store.page().lineCount());
    check(cfg.lineIndex == store.editLineIndex());
    const LineStream& line = store.editLine();
    check(cfg.cursorByte >= 2 && cfg.cursorByte < int32_t(line.size()));
    if (wholePairs) check(!isDrawingEscapeAt(line, size_t(cfg.cursorByte)));
}

// The window's state around the editor calls.
struct Window {
    PageStore& store;
    bool clearPageAgreed = false; // the operator's answer to "clear the page?"
    EditCanvas& canvas;
    bool joinArmed = true;
    int32_t drawingCycle = -1;
};

// One step. Returns false when it was an insertion the page budget refused;
// sets redraw when the window redraws after it (a canvas click does not).
bool step(Window& w, uint8_t what, uint8_t arg, bool raw, bool& redraw) {
    PageStore& store = w.store;
    EditView& cfg = store.view();
    const int32_t line = cfg.lineIndex;
    const int offset = int(arg % 5) - 2;
    redraw = true;
    switch (what % 26) {
    case 0: { // a typed character
        const char16_t ch = arg < 192 && PanelCharset[arg] ? PanelCharset[arg] : char16_t(arg);
        const auto code = editor::typedCharacter(ch, what & 0x80);
        return !code || editor::insertAfterCursor(store, *code);
    }
    case 1: // Ctrl+1 .. Ctrl+4
        return editor::insertAfterCursor(store, uint8_t(arg % 4));
    case 2: { // Ctrl + letter
        const uint8_t code = editor::liveFieldForShortcut(char16_t(u'A' + arg % 26));
        return code == 0 || editor::insertAfterCursor(store, code);
    }
    case 3: // the drawing list (its items are numbered 0 .. 123)
        return editor::insertDrawing(store, arg % 128);
    case 4: { // the live-field list
        const int row = arg % 16;
        return row >= FunctionCount ||
               editor::insertAfterCursor(store, InsertCodeTable[size_t(DrawingCount + row)]);
    }
    case 5: // Ctrl+Up / Ctrl+Down
        editor::drawingCycleStep(store, w.drawingCycle, arg & 1 ? 1 : -1);
        break;
    case 6: // Ctrl released
        w.drawingCycle = -1;
        break;
    case 7:
        editor::backspaceKey(store, w.joinArmed);
        break;
    case 8:
        editor::deleteKey(store, w.joinArmed);
        break;
    case 9: // Backspace or Delete released
        w.joinArmed = true;
        break;
    case 10:
        editor::enterKey(store);
        break;
    case 11:
        editor::homeKey(store, arg & 1);
        break;
    case 12:
        editor::endKey(store, arg & 1);
        break;
    case 13:
        editor::leftKey(store);
        break;
    case 14:
        editor::rightKey(store);
        break;
    case 15:
        editor::upKey(store);
        break;
    case 16:
        editor::downKey(store);
        break;
    case 17: // the wheel and the neighbour frames
        editor::moveToLine(store, line + offset);
        break;
    case 18: // a click in a neighbour line box
        editor::placeCursorInLine(store, line + offset, int(arg / 5) - 4);
        break;
    case 19: { // a click on the edit canvas, as the window places the cursor
        redraw = false;
        const int k = editor::hitTestColumn(cfg.columnMap, arg % (PanelColumns + 2));
        if (k < 0) break;
        const int32_t last = int32_t(store.editLine().size()) - 1;
        cfg.cursorByte = std::min(cfg.windowStart + k, last);
        break;
    }
    case 20: // the effect lists
        editor::setLineEffect(store, 1 + (arg & 1), (arg >> 1) % EffectCount);
        break;
    case 21: // a page tab
        store.setCurrentPage(uint8_t(arg % PageCount));
        store.setEditLine(0);
        break;
    case 22: // Shift+Delete deletes the edit line
        store.deleteLine(line);
        break;
    case 23: // Ctrl+Caps+Delete clears the page
        if (w.clearPageAgreed) store.clearPage();
        break;
    case 24: // a join, as its callers make it: the upper line edited, cursor at its end
        store.setEditLine(arg % (store.page().lineCount() + 1));
        cfg.cursorByte = int32_t(store.editLine().size()) - 1;
        editor::joinWithNextLine(store, cfg.lineIndex);
        break;
    case 25: // a split anywhere (it may cut a drawing pair: raw pages only)
        if (raw) editor::splitLine(store, int32_t(arg) - 8);
        break;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    const uint8_t flags = data[0];
    const bool raw = flags & 1;
    const int pageNumber = data[1] % PageCount;
    const size_t filler = (size_t(data[2]) * 256 + data[3]) % 1100;
    const size_t n = std::min<size_t>(data[4], size - 5);
    std::array<std::vector<LineStream>, PageCount> pages;
    pages[size_t(pageNumber)] = pageLines(data + 5, n, filler, !raw);

    PageStore store;
    GlyphRenderer glyphs;
    PanelImage screen{};
    EditCanvas canvas(glyphs, screen);
    store.replaceAllPages(pages);
    store.setCurrentPage(uint8_t(pageNumber));
    store.setEditLine(0);
    // The window's redraw: the canvas, then the neighbour lines.
    auto redrawWindow = [&] {
        canvas.rasterize(store);
        const editor::NeighbourView view = editor::neighbourView(store, store.view().lineIndex);
        check(view.edit.visible && view.editCaret >= 0);
    };
    store.linesChanged = redrawWindow;
    redrawWindow();
    checkPages(store, !raw);

    Window window{store, (flags & 2) != 0, canvas};
    // Each step is two bytes; a longer input is cut (every step redraws).
    const size_t end = std::min(size, 5 + n + 2 * 300);
    for (size_t i = 5 + n; i + 1 < end; i += 2) {
        const int startPage = store.currentPage();
        const std::array<Page, PageCount> before = store.pages();
        const int32_t cursorBefore = store.view().cursorByte;

        bool redraw = true;
        const bool accepted = step(window, data[i], data[i + 1], raw, redraw);
        checkPages(store, false);
        if (redraw) redrawWindow();
        checkPages(store, !raw);

        const Page& was = before[size_t(startPage)];
        const Page& now = store.pages()[size_t(startPage)];
        if (!accepted)
            check(now.lines() == was.lines() && store.view(startPage).cursorByte == cursorBefore);
        if (contentBytes(now) > contentBytes(was)) check(pageByteTotal(now) < PageByteLimit);
        for (int p = 0; p < PageCount; ++p)
            if (p != startPage) check(store.page(p).lines() == before[size_t(p)].lines());
        if (redraw) {
            // The cursor was placed in the window: its offset has a column.
            const EditView& cfg = store.view();
            const size_t offset = size_t(cfg.cursorByte - cfg.windowStart);
            check(cfg.cursorByte >= cfg.windowStart && offset < cfg.columnMap.size());
            check(cfg.cursorColumn >= 0 && cfg.cursorColumn <= PanelColumns);
        }
    }
    return 0;
}

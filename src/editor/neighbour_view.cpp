#include "editor/neighbour_view.h"

#include "model/charset.h"

#include <algorithm>

namespace vorelux::editor {

namespace {

int effectIndex(const LineStream& line, size_t at) {
    if (line.size() <= at || !isEffectByte(line[at])) return -1;
    return effectNumber(line[at]) - 1;
}

LineBox boxFor(const Page& page, int32_t index) {
    LineBox box;
    if (index < 0 || index >= page.lineCount()) return box;
    box.visible = true;
    box.text = lineDisplayText(page.line(index));
    box.caption = lineCaption(index + 1);
    return box;
}

} // namespace

std::string spokenLineText(const LineStream& line) {
    std::string out;
    bool afterCode = false;
    const auto code = [&](const std::string& name) {
        if (!out.empty() && out.back() != ' ') out += ' ';
        out += "[" + name + "]";
        afterCode = true;
    };
    for (size_t i = HeaderSize; i < line.size(); ++i) {
        const uint8_t b = line[i];
        if (isFontSelect(b)) {
            code("fonte " + std::to_string(b + 1));
        } else if (b == DrawingEscape && i + 1 < line.size()) {
            const int index = drawingListIndex(line[++i]);
            code(index >= 0 ? "desenho " + std::to_string(index) : std::string("desenho"));
        } else if (const int f = functionListIndex(b); f >= 0) {
            code(FunctionNames[size_t(f)]);
        } else if (b < PanelCharacterCount && PanelCharset[b] >= u' ') {
            if (afterCode && PanelCharset[b] != u' ') out += ' ';
            afterCode = false;
            out += utf16ToUtf8(std::u16string(1, PanelCharset[b]));
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string lineCaption(int lineNumber) {
    return "  Linha " + std::to_string(lineNumber) + "  ";
}

NeighbourView neighbourView(const PageStore& store, int32_t lineIndex) {
    const Page& page = store.page();
    NeighbourView view;
    lineIndex = std::clamp<int32_t>(lineIndex, 0, page.lineCount() - 1);
    const LineStream& line = page.line(lineIndex);
    view.entryEffectIndex = effectIndex(line, 1);
    view.exitEffectIndex = effectIndex(line, 2);

    view.edit = boxFor(page, lineIndex);
    view.editCaret = std::max(0, store.view().cursorByte - 2);
    view.editCaret = std::min<int>(view.editCaret, int(view.edit.text.size()));
    view.next = boxFor(page, lineIndex + 1);
    view.twoAhead = boxFor(page, lineIndex + 2);
    view.previous = boxFor(page, lineIndex - 1);
    view.twoBack = boxFor(page, lineIndex - 2);

    view.statusPage = "Pagina " + std::to_string(store.currentPage() + 1);
    view.statusLine =
        "Linha " + std::to_string(lineIndex + 1) + " de " + std::to_string(page.lineCount());
    view.statusTotal = "Total: " + std::to_string(pageByteTotal(page)) + " caracteres";
    return view;
}

} // namespace vorelux::editor

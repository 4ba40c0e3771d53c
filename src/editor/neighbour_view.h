#pragma once
// What the line boxes, the effect lists and the status panels show for the
// edited line of the current page (the window copies it into its widgets).
#include "model/store.h"

#include <cstdint>
#include <string>

namespace vorelux::editor {

struct LineBox {
    bool visible = false;
    std::u16string text; // display text in the LED font's code points; empty when hidden
    std::string caption; // "  Linha n  " (UTF-8); empty when hidden (the box keeps its old one)
};

struct NeighbourView {
    int entryEffectIndex = -1; // item of the entry-effect list, -1 for a damaged header byte
    int exitEffectIndex = -1;
    LineBox twoBack, previous, edit, next, twoAhead;
    int editCaret = 0;       // caret position in the edit line's box
    std::string statusPage;  // "Pagina n"
    std::string statusLine;  // "Linha n de total"
    std::string statusTotal; // "Total: bytes caracteres"
};

// "  Linha n  " for the 1-based line number n.
std::string lineCaption(int lineNumber);

// A line's content as a screen reader should say it (UTF-8): its letters,
// and "[fonte 2]", "[desenho 17]", "[Hora]" for the codes between them.
std::string spokenLineText(const LineStream& line);

// The view of line lineIndex of the current page and its neighbours.
NeighbourView neighbourView(const PageStore& store, int32_t lineIndex);

} // namespace vorelux::editor

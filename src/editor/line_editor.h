#pragma once
// The line editor's operations on the current page: typing, font and live
// field codes, drawing pairs, cursor movement, Backspace and Delete with the
// line joins they may cause, moving between lines, hit testing the edit
// canvas, effect-number entry and paste. No widgets: the window translates
// its keys and clicks into these calls and redraws afterwards.
#include "model/store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vorelux::editor {

// Inserts a content byte after the cursor (a font select, a live field or a
// character); the cursor moves past it. False (cursor unchanged) when the page
// budget refuses it: the front end then shows the page-full prompt.
bool insertAfterCursor(PageStore& store, uint8_t code);

// Inserts the drawing of list index `listIndex` after the cursor; the cursor
// moves past the pair. False (nothing changed) for an index outside the list
// or when the page budget refuses it.
bool insertDrawing(PageStore& store, int listIndex);

// Ctrl+Up (step +1) / Ctrl+Down (step -1). drawingCycle is -1 when no cycle is
// under way: the first step inserts a new drawing, later steps replace it.
// False when the page budget refused the drawing.
bool drawingCycleStep(PageStore& store, int32_t& drawingCycle, int step);

// The content byte a typed character becomes, or nothing when it cannot be
// typed (control characters and characters the panel does not have).
// Shift+Space types "~".
std::optional<uint8_t> typedCharacter(char16_t ch, bool shift);

// Live-field code of Ctrl + letter (upper case), 0 when the letter has none.
uint8_t liveFieldForShortcut(char16_t letter);

// Backspace. Removes the element before the cursor (a drawing pair as one)
// and clears joinArmed; at the line start, while joinArmed, deletes an empty
// line or joins the line onto the line above. Returns whether anything changed.
bool backspaceKey(PageStore& store, bool& joinArmed);

// Delete. Removes the element after the cursor (a drawing pair as one) and
// clears joinArmed; at the line end deletes an empty edit line or an empty
// next line, or, while joinArmed, joins the next line onto this one.
bool deleteKey(PageStore& store, bool& joinArmed);

void homeKey(PageStore& store, bool ctrl);
void endKey(PageStore& store, bool ctrl);
void leftKey(PageStore& store);
// False at the end of the line (nothing to do).
bool rightKey(PageStore& store);
// Up / Down: the line above / below becomes current, cursor at its start.
// False on the first / last line.
bool upKey(PageStore& store);
bool downKey(PageStore& store);

// The mouse wheel and the neighbour frames: line `target` becomes current,
// the cursor keeps its byte index (clamped to the line end) and never stands
// between a drawing escape and its code. False when there is no such line.
bool moveToLine(PageStore& store, int32_t target);

// A click in a line box: line `target` becomes current with the cursor after
// `caret` display characters. Returns whether the cursor was moved on past a
// drawing code (the box's caret then moves one more too), or nothing when the
// line does not exist.
std::optional<bool> placeCursorInLine(PageStore& store, int32_t target, int caret);

// A click on the edit canvas at LED column `column`: the offset k into the
// column map (cursor byte index windowStart + k). The first offset showing that
// column, else the first one right of it, else the last one; offsets of a
// drawing escape (entry 0) are never chosen. -1 for an empty map.
int hitTestColumn(const std::vector<int32_t>& columnMap, int column);

// Effect-number entry with Alt held.
struct EffectEntry {
    char16_t tens = u'0';
    char16_t units = u'0';
    int target = 0; // 0 none, 1 entry, 2 exit

    void start() { tens = units = u'0'; }
    void digit(char16_t d, bool exitEffect) {
        tens = units;
        units = d;
        target = exitEffect ? 2 : 1;
    }
    int value() const { return (tens - u'0') * 10 + (units - u'0'); }
    // "ENTRADA 12" / "SAÍDA 61": the 10-character caption with the digits
    // in characters 9 and 10.
    std::u16string text() const;
    bool valid() const { return value() >= 1 && value() <= EffectCount; }
};

// Writes effect item `item` (0..60) into byte 1 (entry) or 2 (exit) of the
// edit line and sets Modified when that changes the byte.
void setLineEffect(PageStore& store, int which, int item);

// Paste: each character converted and inserted after the cursor, CR LF as
// Enter. Stops at the first character the page budget refuses (`stopped`:
// the front end shows the page-full prompt once). One operation: nothing else runs until it
// returns, and a page holds at most about a thousand bytes, so the caller redraws once afterwards.
struct PasteResult {
    int inserted = 0;
    int lineBreaks = 0;
    bool stopped = false; // the page budget stopped it
};
PasteResult pasteText(PageStore& store, const std::u16string& text);

} // namespace vorelux::editor

#pragma once
// The input states of the main window's line editor: one object per way the
// window takes keys and clicks. EditorInput asks for the state in force at
// each event and hands the event to it; the state is read from the window
// itself (closing, a preview playing, Alt held), so it never disagrees with
// what the operator sees.
//
//   EditingState       keys, clicks and the wheel edit the line
//   PreviewState       a page plays: the page keys, Esc and the line skips
//                      work; typing, editing keys and the canvas do nothing
//   EffectNumberState  Alt is held (over either of those): digits make an
//                      effect number that the release of Alt writes into the
//                      line; other keys with Alt are the system's
//   ClosingState       the window is going away: keys are the system's
#include "editor/line_editor.h"

#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>
#include <utility>

namespace vorelux::app {

class EditorInput;
class EditorSurface;

// What the keys and the wheel leave behind from one event to the next; the
// input and its states share it.
struct InputMemory {
    // The effect number typed with Alt held.
    editor::EffectEntry effectEntry;
    // Whether Backspace / Delete may join lines again (a held key joins once).
    bool joinArmed = true;
    // The drawing Ctrl+Up / Ctrl+Down cycles through; -1 when none.
    int32_t drawingCycle = -1;
    bool capsHeld = false;
    // Alt served a menu or button key (Alt+A) since it went down: its
    // release ends no effect number.
    bool altShortcutUsed = false;
    // The wheel's turn not yet worth a line.
    int wheelRemainder = 0;
};

// A key going down, as the window saw it.
struct KeyPress {
    int key = 0;
    Qt::KeyboardModifiers modifiers; // Alt included while it is held
    quint32 nativeScanCode = 0;
    quint32 nativeVirtualKey = 0;
    QString text; // the characters the platform made of it
};

class InputState {
  public:
    virtual ~InputState() = default;
    InputState(const InputState&) = delete;
    InputState& operator=(const InputState&) = delete;

    // Whether key events reach the line editor at all.
    virtual bool takesKeys() const { return true; }
    // A key going down; false leaves it to the system.
    virtual bool onKeyDown(const KeyPress& key) = 0;
    virtual void onKeyUp(int key, bool autoRepeat) = 0;
    // A press on the edit canvas at (x, y) pixels.
    virtual void onCanvasPress(int x, int y) = 0;
    // The wheel turned by `angleDelta` eighths of a degree (> 0 away from the operator).
    virtual void onWheel(int angleDelta) = 0;
    // "Recuar" (-1) and "Avançar" (+1).
    virtual void onLineStep(int direction) = 0;

  protected:
    InputState(EditorInput& input, EditorSurface& surface, InputMemory& memory)
        : input_(input), surface_(surface), memory_(memory) {}
    // F1..F8 (a page) and Esc (the preview), alike in editing and preview:
    // true when `key` was one of them.
    bool pageOrPreviewKey(int key);
    // The page budget refused an insertion: tells the operator.
    void refusePageFull();

    EditorInput& input_;
    EditorSurface& surface_;
    InputMemory& memory_;
};

class EditingState : public InputState {
  public:
    EditingState(EditorInput& input, EditorSurface& surface, InputMemory& memory)
        : InputState(input, surface, memory) {}
    bool onKeyDown(const KeyPress& key) override;
    void onKeyUp(int key, bool autoRepeat) override;
    void onCanvasPress(int x, int y) override;
    void onWheel(int angleDelta) override;
    void onLineStep(int direction) override;

  private:
    // The editing keys, once the page keys and Esc are out.
    void editKey(int key, Qt::KeyboardModifiers modifiers);
    // Ctrl+Z (undo), Ctrl+Y and Ctrl+Shift+Z (redo); true when it was one.
    bool historyKey(int key, Qt::KeyboardModifiers modifiers);
    // Ctrl with an arrow, V, a digit or a letter; true when it was one.
    bool ctrlShortcut(int key);
    // The characters of a key, inserted after the cursor.
    void typeText(const QString& text, Qt::KeyboardModifiers modifiers);
};

class PreviewState final : public InputState {
  public:
    PreviewState(EditorInput& input, EditorSurface& surface, InputMemory& memory)
        : InputState(input, surface, memory) {}
    bool onKeyDown(const KeyPress& key) override;
    void onKeyUp(int, bool) override {}
    // The canvas shows the preview, not the line.
    void onCanvasPress(int, int) override {}
    void onWheel(int) override {}
    void onLineStep(int direction) override;
};

class EffectNumberState final : public InputState {
  public:
    // `beneath` gives the state in force under the entry (editing, preview or closing).
    EffectNumberState(EditorInput& input, EditorSurface& surface, InputMemory& memory,
                      std::function<InputState&()> beneath)
        : InputState(input, surface, memory), beneath_(std::move(beneath)) {}
    bool onKeyDown(const KeyPress& key) override;
    // The release of Alt ends the entry; every release then goes on to the
    // state beneath.
    void onKeyUp(int key, bool autoRepeat) override;
    // The pointer is not the entry's: the state beneath takes it.
    void onCanvasPress(int x, int y) override;
    void onWheel(int angleDelta) override;
    void onLineStep(int direction) override;

  private:
    // Alt came up: the number goes into the line, or "INVÁLIDO!" is flashed.
    void finish();

    std::function<InputState&()> beneath_;
};

// Clicks cannot reach the hidden window; should one come, it edits.
class ClosingState final : public EditingState {
  public:
    ClosingState(EditorInput& input, EditorSurface& surface, InputMemory& memory)
        : EditingState(input, surface, memory) {}
    bool takesKeys() const override { return false; }
    bool onKeyDown(const KeyPress&) override { return false; }
    void onKeyUp(int, bool) override {}
};

// Alt and AltGr.
bool isAltKey(int key);

} // namespace vorelux::app

#pragma once
// EditorSurface: what the line editor's input asks of the window it edits
// in. The window keeps its controls to itself; the input and its states go
// through these operations to read and change the pages, redraw the view,
// play the preview and ask the operator.
#include <cstdint>

namespace vorelux {
class GlyphRenderer;
class PageStore;
class Prompter;
} // namespace vorelux

namespace vorelux::app {

class EditHistory;

class EditorSurface {
  public:
    // ---- the pages ----
    virtual PageStore& store() = 0;
    // Undo and redo of the changes to the pages.
    virtual EditHistory& history() = 0;
    virtual Prompter& prompter() = 0;
    virtual GlyphRenderer& glyphs() = 0;

    // ---- the view ----
    // Draws the edited line, its neighbours, the effect lists and the status bar again.
    virtual void redrawEditCanvas() = 0;
    virtual void focusEditLine() = 0;
    // "NUM", "CAPS", "SCR" from the keyboard's lock keys.
    virtual void refreshLockKeyStatus() = 0;
    // Takes the cursor off the edit canvas where it is drawn now.
    virtual void eraseCursor() = 0;
    // The whole line's text shows its caret before character `position`
    // (held inside the text).
    virtual void showLineCaret(int32_t position) = 0;
    virtual void stopCursorBlink() = 0;
    virtual void startCursorBlink() = 0;
    // Shows page tab `page` as current (the page itself is the store's).
    virtual void showPageTab(int page) = 0;

    // ---- the preview ----
    virtual bool previewRunning() const = 0;
    // Starts the preview of the current page, or stops it when it runs.
    virtual void togglePreview() = 0;
    virtual void stopPreview() = 0;
    // "Recuar" (-1) and "Avançar" (+1) while the preview runs.
    virtual void previewSkip(int direction) = 0;

    // ---- the window ----
    // "Limpar página", after the operator's yes; whether the page was cleared.
    virtual bool clearPage() = 0;
    // The window is going away: the keys are the system's.
    virtual bool isClosing() const = 0;
    // The operator pressed Caps Lock: its setting stays at exit.
    virtual void keepOperatorsCapsLock() = 0;

  protected:
    EditorSurface() = default;
    ~EditorSurface() = default;
    EditorSurface(const EditorSurface&) = default;
    EditorSurface& operator=(const EditorSurface&) = default;
};

} // namespace vorelux::app

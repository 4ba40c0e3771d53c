#pragma once
// The main window's editing input: the keys, the mouse on the edit canvas, the wheel, the line
// boxes and their frames, the " X " labels, "Recuar"/"Avançar", the drawing, function and font
// lists, the effect lists, the page tabs, paste, and the short messages flashed on the edit canvas
// (flashCanvasText).
//
// The window hands it every event first (key preview); it keeps track of
// the keyboard and passes each event to the input state in force
// (input_states.h). The editing itself is done by editor/line_editor.
#include "editor/line_editor.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QKeyEvent;
class QLabel;
class QListWidget;
class QMouseEvent;
class QPlainTextEdit;
class QWheelEvent;
class QWidget;

namespace vorelux::app {

class MainWindow;
class InputState;
class EditingState;
class PreviewState;
class EffectNumberState;
class ClosingState;

class EditorInput final : public QObject {
    Q_OBJECT
  public:
    explicit EditorInput(MainWindow& window);
    ~EditorInput() override;

    // Called by the window's event filter for every event of the
    // application; true when the event was consumed here.
    bool filter(QObject* watched, QEvent* event);

    // The clipboard's text, or nothing when it holds no text. The system
    // clipboard unless a test replaces it.
    std::function<std::optional<QString>()> clipboardText;

    // ---- operations (the window's other parts and tests use them) ----
    // A press on the edit canvas at (x, y) pixels: the cursor goes there.
    void placeCursorAtCanvas(int x, int y);
    void mouseWheel(int steps); // > 0 down (next line), < 0 up
    // A click in the edited line's text: the cursor follows the caret.
    void placeCursorFromLineText();
    // A click in a neighbour line's text (-2, -1, +1, +2 from the edited line).
    void neighbourTextClicked(int offset);
    void neighbourFrameClicked(int offset);
    // A " X " label: deletes the line `offset` away from the edited one.
    void deleteLineAt(int offset);
    void previousLine();            // "Recuar"
    void nextLine();                // "Avançar"
    void insertDrawingAt(int row);  // a click in the drawing list
    void insertFunctionAt(int row); // a click in the function list
    void insertFontAt(int row);     // a click in the font list
    void entryEffectChosen();
    void exitEffectChosen();
    // A page tab, F1..F8: page `page` (0..7) becomes the edited one.
    void switchToPage(int page);
    // Paste from the clipboard (Ctrl+V and "Colar Texto...").
    void pasteFromClipboard();
    void paste(const QString& text);
    // Ctrl+Z / "Desfazer" and Ctrl+Y, Ctrl+Shift+Z / "Refazer": the view
    // goes to the page and line of the change, the cursor where it stood.
    // Nothing during a preview.
    void undo();
    void redo();

    // Flashes a short text (at most 16 characters) on the edit canvas for
    // `milliseconds`, in font `font`, without holding up the window: the
    // text lies over the canvas until its time is up.
    void flashCanvasText(const QString& text, uint8_t font, unsigned milliseconds);
    bool canvasTextShowing() const;
    QString flashedText() const { return flashedText_; }

    // The effect number typed with Alt held.
    editor::EffectEntry& effectEntry() { return effectEntry_; }
    // Whether Backspace / Delete may join lines again (a held key joins once).
    bool joinArmed() const { return joinArmed_; }
    // The drawing Ctrl+Up / Ctrl+Down cycles through; -1 when none.
    int32_t drawingCycle() const { return drawingCycle_; }

  private:
    // The states do their work with the operations and the state below.
    friend class InputState;
    friend class EditingState;
    friend class PreviewState;
    friend class EffectNumberState;

    // The state in force for the pointer and, with Alt up, for the keys:
    // closing, previewing or editing.
    InputState& baseState();
    // The state a key event goes to: the effect-number entry while Alt is held.
    InputState& keyState(bool altHeld);
    bool keyEvent(QKeyEvent* event);
    bool keyPressed(QKeyEvent* event);
    bool keyReleased(QKeyEvent* event);
    bool wheelEvent(QWheelEvent* event);
    bool listMouse(QListWidget* list, QEvent* event);
    bool mouseEvent(QObject* watched, QMouseEvent* event);
    bool pageTabMouse(QMouseEvent* mouse);
    bool editLineTextMouse(QMouseEvent* mouse);
    // A click in a neighbour line's text or frame.
    void neighbourMouse(QObject* watched, QMouseEvent* mouse);
    bool isWheelTarget(QWidget* widget) const;
    void stepHistory(bool back);
    void redraw();
    void focusEdit();
    // The page budget refused an insertion: tells the operator (prompt 3).
    void refusePageFull();
    bool previewRunning() const;

    MainWindow& window_;
    std::unique_ptr<EditingState> editing_;
    std::unique_ptr<PreviewState> previewing_;
    std::unique_ptr<EffectNumberState> effectNumber_;
    std::unique_ptr<ClosingState> closing_;
    QLabel* flashLabel_ = nullptr; // the flashed text, over the canvas
    QTimer flashTimer_;
    QString flashedText_;
    QImage flashedPicture_;
    editor::EffectEntry effectEntry_;
    bool joinArmed_ = true;
    int32_t drawingCycle_ = -1;
    bool altHeld_ = false;
    bool capsHeld_ = false;
    int wheelRemainder_ = 0;
    struct {
        int key = 0;
        quint64 timestamp = 0;
        bool joinArmedBefore = true;
    } lastRelease_;
};

} // namespace vorelux::app

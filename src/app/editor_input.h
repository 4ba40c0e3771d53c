#pragma once
// The main window's editing input: the keys, the mouse on the edit canvas, the wheel, the line
// boxes and their frames, the " X " labels, "Recuar"/"Avançar", the drawing, function and font
// lists, the effect lists, the page tabs, paste, and the short messages flashed on the edit canvas
// (flashCanvasText).
//
// The window hands it every event first (key preview); it keeps track of
// the keyboard and passes each event to the input state in force
// (input_states.h). The editing itself is done by editor/line_editor.
#include "app/input_states.h"
#include "editor/line_editor.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QListWidget;
class QMouseEvent;
class QPlainTextEdit;
class QTabBar;
class QWheelEvent;
class QWidget;

namespace vorelux::app {

class CanvasWidget;
class EditorSurface;

// The window's controls whose events the line editor's input takes: the
// window lends them when it makes the input and keeps them.
struct EditorControls {
    QWidget* window = nullptr;
    // The flashed text lies over it.
    CanvasWidget* canvasView = nullptr;
    QTabBar* pageTabs = nullptr;
    // The whole edited line's text.
    QPlainTextEdit* editLineText = nullptr;
    // The neighbour lines' frames and texts, -2, -1, +1, +2 from the edited line.
    std::array<QGroupBox*, 4> neighbourFrames{};
    std::array<QPlainTextEdit*, 4> neighbourTexts{};
    QListWidget* drawingList = nullptr;
    QListWidget* functionList = nullptr;
    QListWidget* fontList = nullptr;
    // The other parts of the line boxes where the wheel moves between lines.
    std::vector<const QWidget*> lineGround;
    // The controls Tab reaches besides the edited line (effect lists, the
    // LED lists, buttons, page tabs): while one has the focus the keys are
    // its own, but for the editor's keys that work anywhere (F1..F8, Esc,
    // Alt and the digits, undo and redo).
    std::vector<QWidget*> keyboardControls;
};

class EditorInput final : public QObject {
    Q_OBJECT
  public:
    EditorInput(EditorSurface& surface, EditorControls controls);
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
    // An effect list, or the effect number typed with Alt, chose effect
    // `index` (0..60) for the entry (`target` 1) or the exit (2) of the line.
    void chooseEffect(int target, int index);
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
    editor::EffectEntry& effectEntry() { return memory_.effectEntry; }
    // Whether Backspace / Delete may join lines again (a held key joins once).
    bool joinArmed() const { return memory_.joinArmed; }
    // The drawing Ctrl+Up / Ctrl+Down cycles through; -1 when none.
    int32_t drawingCycle() const { return memory_.drawingCycle; }

  private:
    // The state in force for the pointer and, with Alt up, for the keys:
    // closing, previewing or editing.
    InputState& baseState();
    // The state a key event goes to: the effect-number entry while Alt is held.
    InputState& keyState(bool altHeld);
    bool keyEvent(QKeyEvent* event);
    // Enter or Space on a focused LED list: its item is inserted.
    bool listKey(QWidget* widget, const QKeyEvent& key);
    // A key for the control `widget` that has the focus, not for the editor.
    bool keyForControl(QWidget* widget, const QKeyEvent& key) const;
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
    // The page budget refused an insertion: tells the operator.
    void refusePageFull();
    bool previewRunning() const;

    EditorSurface& surface_;
    EditorControls controls_;
    InputMemory memory_;
    std::unique_ptr<EditingState> editing_;
    std::unique_ptr<PreviewState> previewing_;
    std::unique_ptr<EffectNumberState> effectNumber_;
    std::unique_ptr<ClosingState> closing_;
    QLabel* flashLabel_ = nullptr; // the flashed text, over the canvas
    QTimer flashTimer_;
    QString flashedText_;
    QImage flashedPicture_;
    bool altHeld_ = false;
    struct {
        int key = 0;
        quint64 timestamp = 0;
        bool joinArmedBefore = true;
    } lastRelease_;
};

} // namespace vorelux::app

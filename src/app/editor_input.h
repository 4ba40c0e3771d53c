#pragma once
// The main window's editing input: the keys (FormKeyDown, FormKeyPress,
// FormKeyUp), the mouse on the edit canvas, the wheel, the line boxes and
// their frames, the " X " labels, "Recuar"/"Avançar", the drawing, function
// and font lists, the effect lists, the page tabs, paste, and the short
// messages flashed on the edit canvas (exibeMensagem).
//
// The window hands it every event first (key preview); the editing itself
// is done by editor/line_editor.
#include "editor/line_editor.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

class QKeyEvent;
class QLabel;
class QListWidget;
class QMouseEvent;
class QPlainTextEdit;
class QWheelEvent;
class QWidget;

namespace vorelux::app {

class TForm1;

class EditorInput final : public QObject {
    Q_OBJECT
  public:
    explicit EditorInput(TForm1& form);
    ~EditorInput() override;

    // Called by the window's event filter for every event of the
    // application; true when the event was consumed here.
    bool filter(QObject* watched, QEvent* event);

    // The clipboard's text, or nothing when it holds no text. The system
    // clipboard unless a test replaces it.
    std::function<std::optional<QString>()> clipboardText;

    // ---- handlers (public so the window's other parts can reuse them) ----
    // False for a key left to the system (Alt with a key other than a digit).
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers, quint32 nativeScanCode,
                     quint32 nativeVirtualKey);
    void FormKeyPress(const QString& text, Qt::KeyboardModifiers modifiers);
    void FormKeyUp(int key, bool autoRepeat);
    void imgEditMouseDown(int x, int y);
    void mouseWheel(int steps); // > 0 down (next line), < 0 up
    void mmEditClick();
    void neighbourBoxClick(int offset); // -2 mmPrior2 .. +2 mmNext2
    void neighbourFrameClick(int offset);
    void deleteLineAt(int offset); // Label4 (-2), Label5, Label9 (0), Label10, Label11 (+2)
    void BitBtn3Click();
    void BitBtn5Click();
    void ListBox1Click(int row);
    void ListBox2Click(int row);
    void ListBox3Click(int row);
    void ComboBox1Change();
    void ComboBox2Change();
    void tsPaginasMouseUp(int tab);
    // Paste from the clipboard (Ctrl+V and "Colar Texto...").
    void PortaClick();
    void paste(const QString& text);

    // Flashes a short text (at most 16 characters) on the edit canvas for
    // `mili_seg` milliseconds, in font `fonte`, without holding up the
    // window: the text lies over the canvas until its time is up.
    void exibeMensagem(const QString& texto, uint8_t fonte, unsigned mili_seg);
    bool messageShowing() const;
    QString messageText() const { return messageText_; }
    QImage messagePicture() const { return messagePicture_; }

    bool capsLockHeld() const { return capsHeld_; }

  private:
    bool keyEvent(QKeyEvent* event);
    bool wheelEvent(QWheelEvent* event);
    bool listMouse(QListWidget* list, QEvent* event);
    bool isWheelTarget(QWidget* widget) const;
    void redraw();
    void focusEdit();
    bool previewRunning() const;
    void afterAltRelease();
    int digitOf(int key, quint32 nativeScanCode, quint32 nativeVirtualKey) const;

    TForm1& form_;
    QLabel* message_ = nullptr; // the flashed text, over the canvas
    QTimer messageTimer_;
    QString messageText_;
    QImage messagePicture_;
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

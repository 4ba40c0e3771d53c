#pragma once
// MainWindow, the main window: the page tabs, the edited line and its
// neighbours, the edit canvas, the lists, the page file buttons, the menus
// and the status bar; start-up (startUp, firstShow) and the two-pass close.
#include "app/canvas_widget.h"
#include "app/caps_lock_keeper.h"
#include "app/editor_surface.h"
#include "app/file_dialogs.h"
#include "app/lock_keys.h"
#include "app/prompter.h"
#include "editor/line_editor.h"
#include "editor/neighbour_view.h"
#include "files/conn_cfg.h"
#include "model/store.h"
#include "render/edit_canvas.h"
#include "render/glyphs.h"
#include "render/panel.h"
#include "render/text_bitmap.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QHBoxLayout;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QWidget;

namespace vorelux {
class LinkSystem;
}

namespace vorelux::app {

class AboutBox;
class EditHistory;
class EditorInput;
struct EditorControls;
class ExportActions;
class PreviewHost;
class SendFeatures;
class PanelSettingsDialog;
class ShortcutsWindow;

// A " X " label that deletes a line when clicked.
class DeleteLabel final : public QLabel {
    Q_OBJECT
  public:
    explicit DeleteLabel(QWidget* parent = nullptr);
  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The outside world of the window. Anything left empty gets the real
// implementation (message boxes, the system's lock keys, file dialogs, the
// settings folder: the executable's when it holds a "conn.cfg", else the
// user's configuration folder).
struct Services {
    Prompter* prompter = nullptr;
    LockKeys* lockKeys = nullptr;
    FileDialogs* fileDialogs = nullptr;
    QString appDir;          // folder of "conn.cfg" and "ult_arq.txt"
    int closeWaitMs = 1000;  // the pause of every closing pass
    int closeDelayMs = 5000; // closeDelayTimer: from the first closing pass to the second
    // False when the command line names the page file to open instead.
    bool reopenLastFile = true;
};

// The fields of the status bar, left to right.
enum class StatusField {
    NumLock,    // "NUM"
    CapsLock,   // "CAPS"
    ScrollLock, // "SCR"
    Page,       // "Pagina n"
    Line,       // "Linha n de m"
    Total,      // "Total: n caracteres"
    Mode,       // "Editando" / "Visualizando"
    Link,       // the serial port or the transmitter
};
inline constexpr int StatusFieldCount = 8;

// The main window. Its widgets are its own: other windows and tests reach
// them by object name (the names below without the trailing underscore) or
// through the operations. The line editor's input works on it as its
// EditorSurface.
class MainWindow final : public QMainWindow, public EditorSurface {
    Q_OBJECT
  public:
    static constexpr int WindowWidth = 1024;
    static constexpr int WindowHeight = 680;
    static inline const QString WindowCaption = QStringLiteral(" .:: Vorelux Editor 1.0 ::.");

    explicit MainWindow(Services services = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    // ---- state ----
    PageStore& store() override { return *store_; }
    // Undo and redo of the changes to the pages; "Modified" follows it.
    EditHistory& history() override { return *history_; }
    Prompter& prompter() override { return *prompter_; }
    ConnectionSettingsStore& connectionSettings() { return connectionSettings_; }
    // "conn.cfg" in the settings folder.
    const QString& connectionSettingsPath() const { return connectionSettingsPath_; }
    // The page file in use; empty for a new document.
    const QString& currentFileName() const { return currentFileName_; }
    // Caps Lock is forced on while the editor has the focus and given back
    // when it leaves, unless the operator pressed Caps Lock meanwhile.
    CapsLockKeeper& capsLock() { return *capsLock_; }
    bool capsLockAtStart() const { return capsLock_->stateBefore(); }
    bool restoresCapsLockAtExit() const { return capsLock_->restores(); }
    void keepOperatorsCapsLock() override { capsLock_->leaveToOperator(); }

    GlyphRenderer& glyphs() override { return glyphs_; }
    const std::array<LedBitmap, 4>& fontPreviews() const { return fontPreviews_; }
    EditCanvas& canvas() { return *editCanvas_; }

    // ---- the view ----
    // Draws the edited line on the edit canvas, then the neighbour lines,
    // the effect lists and the status bar.
    void redrawEditCanvas() override;
    // The neighbour-line boxes, the effect lists and the status fields for
    // line `lineIndex` of the current page.
    void showNeighbourLines(int32_t lineIndex);
    // The title: the file in use, an unsaved-changes mark, the caption.
    void refreshTitle();
    // "NUM", "CAPS", "SCR" from the keyboard's lock keys.
    void refreshLockKeyStatus() override;
    // One step of the edit cursor's blink (the cursor blink timer's tick).
    void blinkCursor();
    void startCursorBlink() override;
    void stopCursorBlink() override;
    void focusEditLine() override;
    // Shows a page tab as current (the page itself is the store's).
    void showPageTab(int page) override;
    void eraseCursor() override;
    void showLineCaret(int32_t position) override;

    // ---- preview ----
    // "Visualizar" / "Parar", the menu item and Esc: starts the preview of
    // the current page, or stops it when it runs. An empty page gets the
    // "nothing to preview" prompt.
    void togglePreview() override;
    bool previewRunning() const override;
    // Stops a running preview (does nothing otherwise): the edit canvas
    // comes back and the controls disabled for the preview are enabled again.
    void stopPreview() override;
    // "Recuar" (-1) and "Avançar" (+1) while the preview runs: the play goes
    // to the previous / next line when the frame on show has had its time.
    void previewSkip(int direction) override;
    PreviewHost& previewHost() { return *preview_; }
    // The keys, clicks, lists and paste of the line editor.
    EditorInput& editorInput() { return *editorInput_; }

    // ---- page files ----
    enum class Proceed { Go, Abort };
    // Unsaved pages: the save-changes prompt. Yes saves under a new name;
    // Cancel (or a save that did not happen) abandons the calling operation.
    Proceed askToSaveChanges();
    // Each returns whether it did its work.
    bool save();               // "Salvar"
    bool saveAs();             // "Salvar como..."
    bool open();               // "Abrir"
    bool clearPage() override; // "Limpar página"
    bool clearAllPages();      // "Limpar tudo"
    bool newDocument();        // "Novo": all pages cleared, no file name
    // Opens a page file and makes page 1 current; false (with a message) when
    // it cannot be read.
    bool openPageFile(const QString& path);
    // The page file named on the command line, opened as "Abrir" opens the
    // chosen one (same questions and messages); it becomes the current file.
    bool openCommandLineFile(const QString& path);
    // "Exportar GIF..." and "Salvar quadro PNG..." of the "Arquivo" menu.
    ExportActions& exports() { return *exports_; }

    // ---- help ----
    // "Teclas de atalho": the keys of the line editor, in a window of their own.
    void showShortcuts();
    // "Sobre": the version and the libraries the editor uses.
    void showAbout();

    QString statusText(StatusField field) const;
    void setStatus(StatusField field, const QString& text);
    bool isClosing() const override { return closePhase_ != ClosePhase::Editing; }
    // The panel link and the sending windows: the send dialog, the panel
    // chooser, the panel-number display, the power buttons and their menus.
    LinkSystem* linkSystem() { return linkSystem_.get(); }
    SendFeatures* sendFeatures() { return sendFeatures_.get(); }
    // The panel settings dialog ("Ajustes").
    PanelSettingsDialog* settingsDialog() { return settings_.get(); }

  signals:
    // The close has run its second pass: the run ends.
    void closeFinished();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Writes the pages to currentFileName_; a file another program changed
    // since it was opened or saved is replaced only when the operator agrees.
    bool writePageFile();
    void buildUi();
    QWidget* buildLineBoxes();
    QGroupBox* buildNeighbourLine(const char* boxName, const char* textName, const char* labelName,
                                  int offset, QPlainTextEdit*& text);
    QHBoxLayout* buildLineTextRow(QWidget* parent);
    QGroupBox* buildEditLineGroup(QWidget* parent);
    QWidget* buildLists();
    QGroupBox* buildFontList(QWidget* parent);
    QGroupBox* buildFunctionList(QWidget* parent);
    QGroupBox* buildDrawingList(QWidget* parent);
    QWidget* buildButtons();
    QWidget* buildPreviewButtons(QWidget* parent);
    QGroupBox* buildPowerButtons(QWidget* parent);
    void buildMenus();
    void buildEditMenu();
    void buildHelpMenu();
    // "Desfazer ..." / "Refazer ...": their texts, and enabled only when
    // there is a step and no preview plays.
    void refreshUndoActions();
    void buildStatusBar();
    void buildPowerMenus();
    // The controls the line editor's input takes its events from.
    EditorControls editorControls();
    // The controls Tab reaches after the edited line, in order.
    std::vector<QWidget*> keyboardOrder();
    void setUpKeyboard();
    // The link, the send features and the settings dialog.
    void installLinkWindows();
    void nameControlsForScreenReaders();
    void describeEditedLine();
    void startUp();
    void startDefaultLine();
    void installRedrawHooks();
    void firstShow();
    void runClosePass();
    void finishClose();
    void resumeEditing();
    void closeAfterDelay();
    QString appFile(const char* name) const;

    Services services_;
    std::unique_ptr<Prompter> ownPrompter_;
    std::unique_ptr<LockKeys> ownLockKeys_;
    std::unique_ptr<FileDialogs> ownFileDialogs_;
    Prompter* prompter_ = nullptr;
    LockKeys* lockKeys_ = nullptr;
    FileDialogs* fileDialogs_ = nullptr;
    std::unique_ptr<PageStore> store_;
    std::unique_ptr<EditHistory> history_;
    std::unique_ptr<EditCanvas> editCanvas_;

    ConnectionSettingsStore connectionSettings_;
    QString connectionSettingsPath_;
    QString currentFileName_;
    std::unique_ptr<CapsLockKeeper> capsLock_;

    GlyphRenderer glyphs_;
    PanelImages panel_;
    std::array<LedBitmap, 4> fontPreviews_;
    std::vector<LedBitmap> drawingPictures_;

    // ---- controls ----
    QTabBar* pageTabs_ = nullptr;
    QFrame* linesFrame_ = nullptr;
    QGroupBox* secondPreviousLineGroup_ = nullptr;
    QGroupBox* previousLineGroup_ = nullptr;
    QGroupBox* editLineGroup_ = nullptr;
    QGroupBox* nextLineGroup_ = nullptr;
    QGroupBox* secondNextLineGroup_ = nullptr;
    QGroupBox* lineTextGroup_ = nullptr;
    QPlainTextEdit* secondPreviousLineText_ = nullptr;
    QPlainTextEdit* previousLineText_ = nullptr;
    QPlainTextEdit* nextLineText_ = nullptr;
    QPlainTextEdit* secondNextLineText_ = nullptr;
    QPlainTextEdit* editLineText_ = nullptr; // the whole edited line
    QComboBox* entryEffectCombo_ = nullptr;
    QComboBox* exitEffectCombo_ = nullptr;
    QWidget* canvasPanel_ = nullptr;
    CanvasWidget* editCanvasView_ = nullptr;
    QListWidget* drawingList_ = nullptr;
    QListWidget* functionList_ = nullptr;
    QListWidget* fontList_ = nullptr;
    QPushButton* previewButton_ = nullptr; // "Visualizar"
    QPushButton* stopButton_ = nullptr;    // "Parar", in its place while a preview plays
    QPushButton* clearPageButton_ = nullptr;
    QPushButton* clearAllButton_ = nullptr;
    QPushButton* sendButton_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
    QPushButton* powerOnButton_ = nullptr;
    QPushButton* powerOffButton_ = nullptr;
    QMenu* powerOnMenu_ = nullptr;     // right click on "Visualizar": panels on
    QMenu* powerOffMenu_ = nullptr;    // right click on "Parar": panels off
    QMenu* functionMenu_ = nullptr;    // the function list's "Ajustar"
    ExportActions* exports_ = nullptr; // a child of the window
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    ShortcutsWindow* shortcutsWindow_ = nullptr; // made on first use, then kept
    AboutBox* aboutBox_ = nullptr;
    QAction* previewAction_ = nullptr;
    QAction* sendAction_ = nullptr;
    std::array<QLabel*, StatusFieldCount> statusFields_{};
    QTimer* cursorBlinkTimer_ = nullptr; // 500 ms
    QTimer* closeDelayTimer_ = nullptr;  // from the first closing pass to the second

    bool shown_ = false;
    bool previewing_ = false; // the controls are set for a preview
    bool blinkOn_ = false;
    QElapsedTimer blinkClock_;
    qint64 lastBlinkMs_ = -1000;

    enum class ClosePhase { Editing, FirstPassWait, Delayed, SecondPassWait, Finished };
    ClosePhase closePhase_ = ClosePhase::Editing;
    QTimer closeWait_;
    // Last, so they go first: the sending windows before the link they use.
    std::unique_ptr<LinkSystem> linkSystem_;
    std::unique_ptr<SendFeatures> sendFeatures_;
    std::unique_ptr<PanelSettingsDialog> settings_;
    // The preview worker goes before everything its frames are painted on.
    std::unique_ptr<PreviewHost> preview_;
    void installPreview();
    std::vector<LineStream> previewLines() const;
    void showPreviewFrame(const PanelImage& screen);
    void setPreviewControls(bool previewing);
    // First to go: it refers to the controls and the preview.
    std::unique_ptr<EditorInput> editorInput_;
};

} // namespace vorelux::app

#pragma once
// TForm1, the main window: the page tabs, the edited line and its
// neighbours, the edit canvas, the lists, the page file buttons, the menus
// and the status bar; start-up (FormCreate, FormShow) and the two-pass close.
#include "app/canvas_widget.h"
#include "app/file_dialogs.h"
#include "app/lock_keys.h"
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
class QGroupBox;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabBar;
class QWidget;

namespace vorelux {
class LinkSystem;
}

namespace vorelux::app {

class EditorInput;
class PreviewHost;
class SendFeatures;
class PanelSettingsDialog;

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
// executable's folder).
struct Services {
    Prompter* prompter = nullptr;
    LockKeys* lockKeys = nullptr;
    FileDialogs* fileDialogs = nullptr;
    QString appDir;          // folder of "conn.cfg" and "ult_arq.txt"
    int closeWaitMs = 1000;  // the pause of every closing pass
    int closeDelayMs = 5000; // timerClose: from the first closing pass to the second
};

class TForm1 final : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int FormWidth = 1024;
    static constexpr int FormHeight = 680;
    static inline const QString FormCaption = QStringLiteral(" .:: Vorelux Editor 1.0 ::.");

    explicit TForm1(Services services = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // ---- state ----
    PageStore& store() { return *store_; }
    Prompter& prompter() { return *prompter_; }
    ConnectionSettings CfgComm;
    QString ConnCfgPath;
    QString CurrentFileName; // page file in use; empty for a new document
    bool SavedCapsLock = false;
    bool RestoreCapsLock = true;
    bool joinArmed = true;
    int32_t drawingCycle = -1;
    editor::EffectEntry EffectDigits; // effect number typed with Alt held
    // Stops a running preview (does nothing otherwise): the edit canvas
    // comes back and the controls disabled for the preview are enabled
    // again. `aguardar` is ignored: the request never waits.
    std::function<void(bool aguardar)> stopview;

    GlyphRenderer glyphs;
    PanelImages panel;
    std::array<LedBitmap, 4> FontPreviews;
    std::vector<LedBitmap> DrawingPictures;
    EditCanvas& canvas() { return *editCanvas_; }

    // ---- controls (the names the handlers are known by) ----
    QTabBar* tsPaginas = nullptr;
    QWidget* GroupBox1 = nullptr;
    QGroupBox* gbxPrior2 = nullptr;
    QGroupBox* gbxPrior1 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QGroupBox* gbxNext1 = nullptr;
    QGroupBox* gbxNext2 = nullptr;
    QGroupBox* gbxEditMsg = nullptr;
    QPlainTextEdit* mmPrior2 = nullptr;
    QPlainTextEdit* mmPrior1 = nullptr;
    QPlainTextEdit* mmNext1 = nullptr;
    QPlainTextEdit* mmNext2 = nullptr;
    QPlainTextEdit* mmEdit = nullptr;
    DeleteLabel* Label4 = nullptr;
    DeleteLabel* Label5 = nullptr;
    DeleteLabel* Label9 = nullptr;
    DeleteLabel* Label10 = nullptr;
    DeleteLabel* Label11 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QWidget* pnlTela = nullptr;
    CanvasWidget* imgEdit = nullptr;
    QListWidget* ListBox1 = nullptr;
    QListWidget* ListBox2 = nullptr;
    QListWidget* ListBox3 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QPushButton* bbtnNovo = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* bbtnAbrir = nullptr;
    QPushButton* bbtnSalvar = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* JvSpeedButton1 = nullptr;
    QPushButton* JvSpeedButton2 = nullptr;
    QMenu* PopupLigar = nullptr;    // right click on "Visualizar": panels on
    QMenu* PopupDesligar = nullptr; // right click on "Parar": panels off
    QMenu* PopupFuncoes = nullptr;  // the function list's "Ajustar"
    QAction* Abrie1 = nullptr;
    QAction* Salva1 = nullptr;
    QAction* Salarcomo1 = nullptr;
    QAction* Sair1 = nullptr;
    QAction* Colar1 = nullptr;
    QAction* Visualizar1 = nullptr;
    QAction* Enviar1 = nullptr;
    QStatusBar* stBar = nullptr;
    std::array<QLabel*, 8> stPanels{};
    QTimer Timer1;
    QTimer timerClose;

    // ---- operations ----
    void geraTela();
    void AtualizaDemaisLinhas(int32_t index_linha);
    void consultaLock();
    void Timer1Timer();
    void timerCloseTimer();

    // ---- preview ----
    // "Visualizar" / "Parar": starts the preview of the current page, or
    // stops it when it runs. An empty page gets prompt 9.
    void SpeedButton1Click();
    void Visualizar1Click() { SpeedButton1Click(); }
    bool previewRunning() const;
    // Esc.
    void togglePreview() { SpeedButton1Click(); }
    // "Recuar" (-1) and "Avançar" (+1) while the preview runs: the play goes
    // to the previous / next line when the frame on show has had its time.
    void previewSkip(int direction);
    PreviewHost& previewHost() { return *preview_; }
    // The keys, clicks, lists and paste of the line editor.
    EditorInput& editorInput() { return *editorInput_; }
    enum class Proceed { Go, Abort };
    // Unsaved pages: prompt 19. Yes saves under a new name; Cancel (or a save
    // that did not happen) abandons the calling operation.
    Proceed check_alteracoes();

    // Page file commands; each returns whether it did its work.
    bool bbtnSalvarClick();
    bool Salarcomo1Click();
    bool bbtnAbrirClick();
    bool bbtnNovoClick();
    bool BitBtn1Click();
    bool BitBtn6Click();
    // Opens a page file and makes page 1 current; false (with a message) when
    // it cannot be read.
    bool openPageFile(const QString& path);

    QString statusText(int panel) const;
    // Writes status panel 0..7.
    void setStatus(int panel, const QString& text);
    bool isClosing() const { return closePhase_ != ClosePhase::Editing; }
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
    void buildUi();
    QWidget* buildLineBoxes();
    QWidget* buildLists();
    QWidget* buildButtons();
    void buildMenus();
    void buildStatusBar();
    void FormCreate();
    void FormShow();
    void FormClose();
    void finishClose();
    void resumeEditing();
    void focusEdit();
    QString appFile(const char* name) const;

    Services services_;
    std::unique_ptr<Prompter> ownPrompter_;
    std::unique_ptr<LockKeys> ownLockKeys_;
    std::unique_ptr<FileDialogs> ownFileDialogs_;
    Prompter* prompter_ = nullptr;
    LockKeys* lockKeys_ = nullptr;
    FileDialogs* fileDialogs_ = nullptr;
    std::unique_ptr<PageStore> store_;
    std::unique_ptr<EditCanvas> editCanvas_;

    bool shown_ = false;
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
    void stopPreview();
    void showPreviewFrame(const PanelImage& screen);
    void setPreviewControls(bool previewing);
    // First to go: it refers to the controls and the preview.
    std::unique_ptr<EditorInput> editorInput_;
};

} // namespace vorelux::app

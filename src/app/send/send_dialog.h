#pragma once
// SendPagesDialog, "Enviar": sends the edited pages to the target panels,
// clears pages on them, chooses the pages they display and, through the
// transmitter, repairs a failed transfer from the code a panel shows.
//
// Three sheets with hidden tabs: the main sheet, the progress sheet and the
// error-code sheet. A transfer runs on a worker thread (see
// TransferRunner) with its device calls carried back to this thread, so the
// bars move and the window answers; closing the window during a transfer
// stops it after the current byte or report, and destroying it waits for the
// worker to stop (the port closed, the rest not sent). What the operator is
// told about a run is shown once it has ended.
//
// The widgets are private; tests and callers reach them by object name
// (sendButton, clearButton, displayButton, sendBox1..8, clearBox1..8,
// displayBox1..8, targetList, showIdsButton, headlineLabel,
// statusLabel, destinationLabel, pagesBar, dataBar, questionLabel,
// allReceivedButton, panelShowsErrorButton, errorCodeEdit, repairButton,
// returnButton, closeButton) or through the operations below.
#include "app/link/operator_link.h"
#include "link/panel_link.h"
#include "link/random_range.h"
#include "link/upload.h"
#include "model/store.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace vorelux {
class ProgressWindowDialog;
class TransportGroup;
} // namespace vorelux

namespace vorelux::app {

class TargetList;
class TransferRunner;

// What the dialog needs from the main window; anything left empty does nothing.
struct SendServices {
    std::string connCfgPath = "conn.cfg";
    std::function<QString()> mainCaption;     // the main window's caption
    std::function<void(bool)> setMainEnabled; // disable the main window during a run
    std::function<int()> currentPage;         // page selected in the main window's tabs
    std::function<void()> afterClose;         // the main window's timer on again, text focused
    std::function<void()> openIdDisplay;      // "Exibir IDs"
    RandomRange* random = nullptr;            // page keys; a std::mt19937 when empty
};

class SendPagesDialog final : public QDialog {
    Q_OBJECT
  public:
    enum class Sheet { Main = 0, Progress = 1, ErrorCode = 2 };
    // The question after a run.
    static inline const QString ReceivedQuestion =
        QStringLiteral("Todos os painéis receberão as mensagens corretamente?");

    SendPagesDialog(OperatorLink& link, PageStore& store, SendServices services = {},
                    QWidget* parent = nullptr);
    ~SendPagesDialog() override;

    // ---- operations (the buttons) ----
    void sendCheckedPages();      // "Enviar"
    void clearCheckedPages();     // "Limpar"
    void sendDisplayedPages();    // "Exibir", "Setar  página"
    void answerPanelShowsError(); // "Não, painel exibe erro"
    void answerAllReceived();     // "Sim, todos receberam"
    void repairFromErrorCode();   // "Corrigir erro", Enter in the code field
    void returnToMainSheet();     // "Retornar "

    void showSheet(Sheet sheet);
    Sheet currentSheet() const;
    // A transfer (a run, "Exibir", the resume on closing) is under way.
    bool running() const;
    // Bit p clear: page p went out through the transmitter in the last run.
    uint8_t sentPagesMask() const { return sentPagesMask_; }
    // The pause after every serial byte of a page, in milliseconds.
    void setSerialPause(int milliseconds) { serialPause_ = milliseconds; }
    ProgressWindowDialog* progressWindow() const { return progressWindow_; }

  signals:
    // A transfer (upload, clear, repair, "Exibir" or the resume on closing)
    // has ended and its result has been shown.
    void runFinished();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    using BoxRow = std::array<QCheckBox*, PageCount>;

    QWidget* buildMainSheet();
    QWidget* buildProgressSheet();
    QWidget* buildErrorCodeSheet();
    void buildPageBoxes(QWidget* group);
    void prepareOnOpening();
    // Says what is missing (a port, a ticked panel) and puts the focus there,
    // or on "Enviar" when nothing is.
    void guideOperator();
    void updateClearBoxes();
    void storeTargetList();
    std::vector<int> checkedPages(const BoxRow& row);
    std::vector<PanelId> runTargets() const;
    void resetProgressSheet();
    void showQuestion(bool visible);
    void runPages(bool clearing);
    void endRun(const UploadResult& result, bool clearing);
    void showRunResult(const UploadResult& result);
    void showRepairProgress(const UploadProgress& progress);
    void showRepairResult(const RepairResult& result);
    bool showProgress(const UploadProgress& progress);
    void finishRun();
    void setMainEnabled(bool enabled);
    void selectCodeDigits(int start, int length);
    void resumePanelsOnClose();
    void panelsResumed();

    OperatorLink& link_;
    PageStore& store_;
    SendServices services_;
    std::unique_ptr<RandomRange> ownRandom_;
    RandomRange* random_ = nullptr;
    ProgressWindowDialog* progressWindow_ = nullptr;
    uint8_t sentPagesMask_ = NoPageSent;
    int serialPause_ = SerialBytePauseMs;
    std::unique_ptr<TransferRunner> runner_;
    bool repairProgressShown_ = false;
    bool closeAfterRun_ = false;
    bool fromErrorButton_ = false;

    QStackedWidget* sheets_ = nullptr;
    BoxRow sendBoxes_{};
    BoxRow clearBoxes_{};
    BoxRow displayBoxes_{};
    QPushButton* sendButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* displayButton_ = nullptr;
    TargetList* targetList_ = nullptr;
    QPushButton* showIdsButton_ = nullptr;
    TransportGroup* transportGroup_ = nullptr;
    QLabel* guidanceLabel_ = nullptr; // what is missing before a send can go out
    QLabel* headlineLabel_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QLabel* destinationLabel_ = nullptr; // which page goes to which panel
    QProgressBar* pagesBar_ = nullptr;
    QProgressBar* dataBar_ = nullptr;
    QLabel* questionLabel_ = nullptr;
    QPushButton* panelShowsErrorButton_ = nullptr;
    QPushButton* allReceivedButton_ = nullptr;
    QLineEdit* errorCodeEdit_ = nullptr;
    QPushButton* repairButton_ = nullptr;
    QPushButton* returnButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
};

} // namespace vorelux::app

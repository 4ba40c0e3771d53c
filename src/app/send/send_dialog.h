#pragma once
// TfrmEnviar, "Enviar": sends the edited pages to the target panels, clears
// pages on them, chooses the pages they display and, through the
// transmitter, repairs a failed transfer from the code a panel shows.
//
// Four pages with hidden tabs: the main page, the progress page, an unused
// page and the error-code page. A transfer runs on the user-interface thread
// through the link's sleeper, which waits with the event loop running, so
// the bars move and the window answers; closing the window during a
// transfer stops it after the current byte or report.
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
class QComboBox;
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

// What the dialog needs from the main window; anything left empty does nothing.
struct SendServices {
    std::string connCfgPath = "conn.cfg";
    std::function<QString()> mainCaption;     // the main window's caption
    std::function<void(bool)> setMainEnabled; // disable the main window during a run
    std::function<int()> currentPage;         // page selected in the main window's tabs
    std::function<void()> afterClose;         // Timer1 on again, focus the text field
    std::function<void()> openIdDisplay;      // "Exibir IDs"
    RandomRange* random = nullptr;            // page keys; a std::mt19937 when empty
};

class TfrmEnviar final : public QDialog {
    Q_OBJECT
  public:
    enum Page { tbsEnviar = 0, tbsEnviando = 1, tbsErro = 2, TabSheet1 = 3 };
    static inline const QString Pergunta =
        QStringLiteral("Todos os painéis receberão as mensagens corretamente?");

    TfrmEnviar(PanelLink& link, PageStore& store, SendServices services = {},
               QWidget* parent = nullptr);
    ~TfrmEnviar() override;

    // ---- handlers ----
    void FormShow();
    void BitBtn1Click();  // "Enviar"
    void BitBtn2Click();  // "Limpar"
    void BitBtn3Click();  // "Exibir"
    void BitBtn5Click();  // "Não, painel exibe erro"
    void BitBtn6Click();  // "Sim, todos receberam"
    void BitBtn8Click();  // "Corrigir erro", Enter in the code field
    void BitBtn10Click(); // "Retornar "
    void BitBtn11Click(); // "Fechar"
    void CheckBox1Click();
    void CheckListBox1Click();
    void ComboBox1Change(int index);
    // The checked boxes of a row (send, clear or display), as page indexes.
    std::vector<int> CheckPagSend(const std::array<QCheckBox*, PageCount>& row);

    void showPage(Page page);
    Page currentPage() const;
    bool running() const { return running_; }
    uint8_t mascaraPaginas = NoPageSent;
    int pausaSerial = PausaSerial;

    // ---- controls ----
    QStackedWidget* PageControl1 = nullptr;
    std::array<QCheckBox*, PageCount> sendBoxes{};    // CheckBox1..CheckBox8
    std::array<QCheckBox*, PageCount> clearBoxes{};   // CheckBox21..24, 17..20
    std::array<QCheckBox*, PageCount> displayBoxes{}; // CheckBox9..CheckBox16
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    TargetList* CheckListBox1 = nullptr;
    QPushButton* btnExibirIDs = nullptr;
    TransportGroup* transport = nullptr;
    QGroupBox* gbxExibirPaginas = nullptr; // kept out of sight: the selector stays on item 0
    QComboBox* ComboBox1 = nullptr;
    QPushButton* btnSetarPagina = nullptr;
    QLabel* lbText1 = nullptr;
    QLabel* lbText2 = nullptr;
    QLabel* lbDestino = nullptr; // which page goes to which panel
    QProgressBar* pbPagi = nullptr;
    QProgressBar* pbData = nullptr;
    QLabel* Label11 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QLineEdit* MaskEdit1 = nullptr;
    QPushButton* BitBtn9 = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QPushButton* BitBtn11 = nullptr;
    ProgressWindowDialog* progressWindow() const { return progress_; }

  signals:
    // A run (upload, clear or repair) has ended.
    void runFinished();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

  private:
    QWidget* buildMainPage();
    QWidget* buildProgressPage();
    QWidget* buildErrorCodePage();
    void runPages(bool clearing);
    bool onProgress(const UploadProgress& progress);
    void finishRun();
    void setMainEnabled(bool enabled);
    void selectCodeDigits(int start, int length);
    void FormClose();

    PanelLink& link_;
    PageStore& store_;
    SendServices services_;
    std::unique_ptr<RandomRange> ownRandom_;
    RandomRange* random_ = nullptr;
    ProgressWindowDialog* progress_ = nullptr;
    bool running_ = false;
    bool cancelRequested_ = false;
    bool closeAfterRun_ = false;
    bool showing_ = false;
    bool fromErrorButton_ = false;
};

} // namespace vorelux::app

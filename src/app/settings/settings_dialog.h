#pragma once
// TForm3, "Ajustes do painel": the panel settings dialog. Thirteen tabs turn
// their controls into parameter commands for the panels checked in the
// " Enviar para : " list; the dialog also pairs a panel with the USB
// transmitter, restores factory settings and, at start-up, warns when
// daylight-saving time begins or ends.
//
// Transfers run on the user-interface thread but never block it: every
// pause between bytes and reports waits on a timer while the event loop
// keeps painting (user input waits until the transfer's next step, where the
// progress window's "Cancelar" is seen). The dialog is disabled while a
// transfer runs, so no second transfer can start inside the first.
#include "link/panel_link.h"
#include "link/panel_settings.h"
#include "render/clock.h"

#include <QDialog>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTimeEdit;

namespace vorelux {
class ProgressWindowDialog;
class TransportGroup;
} // namespace vorelux

namespace vorelux::app {

// Waits on a timer with the event loop running (user input excluded), so a
// transfer on the user-interface thread keeps the windows painted.
class EventLoopSleeper final : public Sleeper {
  public:
    void sleep(int milliseconds) override;
};

// Tabs down the left side with their captions written across.
class SideTabBar final : public QTabBar {
  public:
    explicit SideTabBar(QWidget* parent = nullptr);

  protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* event) override;
};

// A tab widget with its tabs down the left side.
class SideTabWidget final : public QTabWidget {
  public:
    explicit SideTabWidget(QWidget* parent = nullptr);
};

// The devices and the shared state the dialog sends through.
struct SettingsLink {
    ConnectionSettings& cfg;
    PortCatalog& catalog;
    SerialPort& port;
    Transmitter& kq;
    Prompter& prompter;
};

// What the dialog needs from outside; anything left empty gets the real one.
struct SettingsServices {
    std::string connCfgPath = "conn.cfg";
    std::function<QString()> mainCaption; // the main window's caption now
    Sleeper* sleeper = nullptr;           // pauses of the transfers
    RandomRange* random = nullptr;        // the transmitter's configuration byte
    const Clock* clock = nullptr;         // the clock tab and daylight-saving time
    std::function<std::chrono::steady_clock::time_point()> steadyNow; // poll deadline
    int pollIntervalMs = 1000;           // the configuration poll timer
    std::function<void()> openIdDisplay; // "Exibir IDs": the panel-number display
    std::function<void()> afterClose;    // show the main window, focus its text field
};

class TForm3 final : public QDialog, public TransmitterObserver, public TransmitterConfigurator {
    Q_OBJECT
  public:
    // Tab indexes.
    enum Tab {
        tsVelocidade = 0,
        tsBrilho,
        tsEmPe,
        tsHora,
        TabSheet1,
        TbsPagDia,
        tbsOnOffTime,
        tbsProgress,
        tbsRegress,
        tsIDPainel,
        tbsCfgPainel,
        tsTemp,
        tbsResetCfg,
        TabCount
    };
    static inline const QString AllPanelsItem = QStringLiteral("  TODOS OS PAINÉIS ");

    TForm3(SettingsLink link, SettingsServices services = {}, QWidget* parent = nullptr);
    ~TForm3() override;

    // Start-up (FormCreate): the transmitter question, "conn.cfg", the
    // daylight-saving warning, the question for a transmitter that reported
    // itself not configured.
    void FormCreate();

    // ---- openers ----
    // Opens the dialog modally on `tab` (prepared with OnShow); returns when
    // it has closed. Tabs that are not shown (no transmitter, temperatures
    // not revealed) open on the first tab.
    void openOnTab(int tab);
    // The main window's "Ajustes": tab 0 with the target group shown.
    void BitBtn4Click() { openOnTab(tsVelocidade); }
    // Prompt 20 answered Yes: tab 10; when already open, it turns to tab 10.
    void openTransmitterConfiguration() override;
    // Prepares the dialog before it is shown.
    void OnShow();

    // ---- the dialog's own link (its last result is what it reports) ----
    PanelLink& link() { return *link_; }
    bool sending() const { return sending_; }

    // ---- controls (the names the handlers know them by) ----
    QTabWidget* PageControl1 = nullptr;
    QSlider* JvTracker1 = nullptr;
    QSlider* JvColorTrackBar1 = nullptr;
    QLabel* BrilhoValor = nullptr;
    QPushButton* btnHorizontal = nullptr;
    QPushButton* btnVertical = nullptr;
    QTimeEdit* JvTimeEdit1 = nullptr;
    QDateEdit* JvDateEdit1 = nullptr;
    QLabel* Label6 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QPushButton* btnEnviarRelogio = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QListWidget* CheckListBox2 = nullptr;
    QLabel* Label7 = nullptr;
    QStackedWidget* horaStack = nullptr;
    QTimeEdit* JvTimeEdit2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* btnEnviarPagHora = nullptr;
    QPushButton* btnAtivarPagDia = nullptr;
    QPushButton* btnDesativarPagDia = nullptr;
    QCheckBox* CheckBox5 = nullptr;
    QGroupBox* GroupBox7 = nullptr;
    QTimeEdit* JvTimeEdit3 = nullptr;
    QTimeEdit* JvTimeEdit4 = nullptr;
    QPushButton* btnEnviarOnOff = nullptr;
    QDateEdit* JvDateEdit2 = nullptr;
    QPushButton* btnEnviarProgress = nullptr;
    QDateEdit* JvDateEdit3 = nullptr;
    QPushButton* btnEnviarRegress = nullptr;
    QLineEdit* MaskEdit2 = nullptr; // "ID atual:"
    QLineEdit* MaskEdit1 = nullptr; // "Nova ID:"
    QPushButton* btnEnviarID = nullptr;
    QPushButton* BitBtn10 = nullptr; // "Configurar Painel"
    QSpinBox* SpinEdit1 = nullptr;
    QSpinBox* SpinEdit2 = nullptr;
    QPushButton* btnEnviarTempInt = nullptr;
    QPushButton* btnEnviarTempExt = nullptr;
    std::array<QCheckBox*, 5> resetBoxes{}; // Velocidade, Brilho, Em pé, Pág., Horário
    QPushButton* BitBtn19 = nullptr;        // "Restaurar"
    QGroupBox* GroupBoxTargets = nullptr;   // " Enviar para : "
    QListWidget* CheckListBox1 = nullptr;
    QPushButton* BitBtn8 = nullptr; // "Exibir IDs"
    TransportGroup* transport = nullptr;
    QLabel* LabelVeja = nullptr;
    ProgressWindowDialog* progress = nullptr;
    QTimer Timer1; // the configuration poll

    PageByHourList& pageByHour() { return *pageByHour_; }
    TransmitterPairing& pairing() { return *pairing_; }
    // The checks of the target list.
    TargetChecks targetChecks() const;

    // ---- handlers ----
    void PageControl1Change(int index);
    void JvTracker1Release();
    void JvColorTrackBar1Release();
    void orientacao(bool vertical);
    void enviarRelogio();
    void CheckBox2Click();
    void enviarPagHora();
    void pagDia(bool ativar);
    void CheckBox5Click();
    void enviarOnOff();
    void enviarProgress();
    void enviarRegress();
    void enviarID();
    void BitBtn10Click();
    void Timer1Timer();
    void enviarTemperatura(TemperatureSensor sensor);
    void BitBtn19MouseDown();
    void CheckListBox1Click();
    void BitBtn8Click();
    void revealTemperatures(); // Ctrl+Alt+T

  protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildUi();
    QWidget* buildSpeedTab();
    QWidget* buildBrightnessTab();
    QWidget* buildUprightTab();
    QWidget* buildClockTab();
    QWidget* buildPageByHourTab();
    QWidget* buildPageByWeekdayTab();
    QWidget* buildOnOffTab();
    QWidget* buildCounterTab(bool regress);
    QWidget* buildPanelIdTab();
    QWidget* buildTransmitterTab();
    QWidget* buildTemperatureTab();
    QWidget* buildResetTab();
    QWidget* buildSide();

    // Runs one transfer with the dialog disabled; false when one is running.
    bool transfer(const std::function<void()>& body);
    // Sends a sequence to the checked targets and reports the result.
    void sendToTargets(const ParamSequence& sequence,
                       AfterFailure afterFailure = AfterFailure::Stop);
    void enterTab(int index);
    void setTargetsVisible(bool group, bool exibirIds);
    void loadTargetList();
    void setTargetCaption(int count, bool afterClick);
    void refreshPageByHour();
    void applyOnOffEnabled();
    void updateWeekday();
    void writeConnCfg();
    QString caption() const;
    LocalDateTime now() const;
    std::chrono::steady_clock::time_point steadyNow() const;

    void transmitterAttached(const std::shared_ptr<HidDevice>&) override;
    void transmitterRemoved(const std::shared_ptr<HidDevice>&) override;

    SettingsLink shared_;
    SettingsServices services_;
    std::unique_ptr<Sleeper> ownSleeper_;
    std::unique_ptr<RandomRange> ownRandom_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<PanelLink> link_;
    std::unique_ptr<PageByHourList> pageByHour_;
    std::unique_ptr<TransmitterPairing> pairing_;
    bool sending_ = false;
    bool loadingTargets_ = false;
    bool refreshingList_ = false;
    bool anyCheckedAtPress_ = false;
    bool closing_ = false;
};

} // namespace vorelux::app

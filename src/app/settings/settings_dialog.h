#pragma once
// PanelSettingsDialog, "Ajustes do painel": the panel settings dialog. Thirteen tabs (each a
// SettingsPage of its own) turn their controls into parameter commands for the panels checked in
// the " Enviar para : " list; the dialog also pairs a panel with the USB transmitter, restores
// factory settings and, at start-up, warns when daylight-saving time begins or ends.
//
// Transfers run on a worker thread (TransferRunner): the port, the
// transmitter and the progress window are served on this thread, the pauses
// are slept on the worker. The dialog is disabled while a run goes on and
// shows its results once it has ended; questions that decide what is sent
// are asked before the run starts. Closing the dialog during a run stops it
// at its next parameter; destroying the dialog stops it, closes the port and
// shows nothing.
#include "app/link/operator_link.h"
#include "link/panel_link.h"
#include "link/panel_settings.h"
#include "render/clock.h"

#include "app/settings/side_tabs.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace vorelux {
class ProgressWindowDialog;
class TransportGroup;
} // namespace vorelux

namespace vorelux::app {

class BrightnessPage;
class ClockPage;
class CounterPage;
class OnOffPage;
class PageByHourPage;
class PanelIdPage;
class ResetPage;
class SettingsPage;
class SpeedPage;
class TemperaturePage;
class TransferRunner;

// The devices and the shared state the dialog sends through.
struct SettingsLink {
    ConnectionSettingsStore& settings;
    PortCatalog& catalog;
    SerialPort& port;
    Transmitter& transmitter;
    Prompter& prompter;
};

// What the dialog needs from outside; anything left empty gets the real one.
struct SettingsServices {
    std::string connCfgPath = "conn.cfg";
    std::function<QString()> mainCaption; // the main window's caption now
    Sleeper* sleeper = nullptr;           // pauses of the transfers, on the worker
    RandomRange* random = nullptr;        // the transmitter's configuration byte
    const Clock* clock = nullptr;         // the clock tab and daylight-saving time
    std::function<std::chrono::steady_clock::time_point()> steadyNow; // poll deadline
    int pollIntervalMs = 1000;           // the configuration poll timer
    std::function<void()> openIdDisplay; // "Exibir IDs": the panel-number display
    std::function<void()> afterClose;    // show the main window, focus its text field
};

class PanelSettingsDialog final : public QDialog,
                                  public TransmitterObserver,
                                  public TransmitterConfigurator {
    Q_OBJECT
  public:
    // Tab indexes.
    enum Tab {
        SpeedTab = 0,
        BrightnessTab,
        UprightTab,
        ClockTab,
        PageByHourTab,
        PageByWeekdayTab,
        OnOffTab,
        CountUpTab,
        CountDownTab,
        PanelIdTab,
        TransmitterTab,
        TemperatureTab,
        ResetTab,
        TabCount
    };
    static inline const QString AllPanelsItem = QStringLiteral("  TODOS OS PAINÉIS ");

    PanelSettingsDialog(SettingsLink link, SettingsServices services = {},
                        QWidget* parent = nullptr);
    ~PanelSettingsDialog() override;

    // Start-up: the transmitter question, "conn.cfg", the
    // daylight-saving warning, the question for a transmitter that reported
    // itself not configured.
    void runStartUpChecks();

    // ---- openers ----
    // Opens the dialog modally on `tab` (prepared with prepareToShow); returns when
    // it has closed. Tabs that are not shown (no transmitter, temperatures
    // not revealed) open on the first tab.
    void openOnTab(int tab);
    // The main window's "Ajustes": tab 0 with the target group shown.
    void openSettings() { openOnTab(SpeedTab); }
    // Prompt::ConfigureTransmitter answered Yes: the transmitter tab; when
    // already open, the dialog turns to it.
    bool confirmConfiguration() override;
    void openTransmitterConfiguration() override;
    // Prepares the dialog before it is shown.
    void prepareToShow();

    // ---- the dialog's own link (its last result is what it reports) ----
    OperatorLink& link() { return *link_; }
    // A run is going on (its results not shown yet).
    bool isSending() const;

    PageByHourList& pageByHour() { return *pageByHour_; }
    // The checks of the target list.
    TargetChecks targetChecks() const;

    // Whether the transmitter's configuration is being polled after
    // "Configurar Painel".
    bool isPollingConfiguration() const;

    // ---- the operator's actions ----
    void enterTab(int index);            // the tab turned to `index`
    void sendSpeed();                    // the speed slider's position
    void sendBrightness();               // the brightness slider's position
    void sendOrientation(bool vertical); // "Horizontal" / "Vertical"
    void sendClock();                    // the clock tab's time and date
    void saveDaylightSavingWarning();    // the daylight-saving warning check
    void sendPageByHour();               // the page-by-hour list
    void sendPageByWeekday(bool enable); // "Ativar" / "Desativar"
    void sendOnOff();                    // the switch-on and switch-off times
    void sendCountUp();                  // the count-up start date
    void sendCountDown();                // the count-down end date
    void sendPanelId();                  // current and new panel number
    void configurePanel();               // "Configurar Painel": pairs, then polls
    void pollConfiguration();            // one tick of that poll
    void sendTemperature(TemperatureSensor sensor);
    void restoreFactorySettings(); // "Restaurar": the checked settings
    void saveTargetPanels();       // the target list's checks to "conn.cfg"
    void showPanelIds();           // "Exibir IDs"
    void revealTemperatures();     // Ctrl+Alt+T

  signals:
    // A run has ended and its results have been shown (a run started by
    // them may follow).
    void runFinished();

  protected:
    void done(int result) override;

  private:
    // ---- the tabs and the shared controls ----
    QTabWidget* tabs_ = nullptr;
    SpeedPage* speedPage_ = nullptr;
    BrightnessPage* brightnessPage_ = nullptr;
    ClockPage* clockPage_ = nullptr;
    PageByHourPage* pageByHourPage_ = nullptr;
    OnOffPage* onOffPage_ = nullptr;
    CounterPage* countUpPage_ = nullptr;
    CounterPage* countDownPage_ = nullptr;
    PanelIdPage* panelIdPage_ = nullptr;
    TemperaturePage* temperaturePage_ = nullptr;
    ResetPage* resetPage_ = nullptr;
    QGroupBox* targetGroup_ = nullptr; // " Enviar para : "
    QListWidget* targetPanelList_ = nullptr;
    QPushButton* showIdsButton_ = nullptr; // "Exibir IDs"
    TransportGroup* transportGroup_ = nullptr;
    QLabel* seeOnPanelLabel_ = nullptr;
    ProgressWindowDialog* progressWindow_ = nullptr;
    QTimer configurationPollTimer_; // the configuration poll

    void buildUi();
    // The thirteen pages, in tab order, with their signals wired here.
    std::array<SettingsPage*, TabCount> buildPages();
    void connectPages();
    QWidget* buildSide();

    // What a run's work gets on the worker: a link of its own, the progress
    // window and the cancel check, each served through the runner.
    struct Run {
        PanelLink& link;
        ProgressWindow* progress;
        KeepSending keepSending;
    };
    using RunWork = std::function<void(Run&)>;
    // Starts `work` on the worker with the dialog disabled; `after` shows the
    // results once it has ended (not when the run ended for a close). False,
    // and nothing started, while a run goes on.
    bool startRun(RunWork work, std::function<void()> after);
    void runEnded(const std::function<void()>& after);
    void setRunning(bool running);
    // A sequence to the checked targets; its result to lastSendResult.
    RunWork targetsWork(const ParamSequence& sequence,
                        AfterFailure afterFailure = AfterFailure::Stop) const;
    RunWork pageByHourWork() const;
    // Runs `work` and reports its result once it has ended.
    void runAndReport(RunWork work);
    void sendToTargets(const ParamSequence& sequence,
                       AfterFailure afterFailure = AfterFailure::Stop);
    void setTargetsVisible(bool group, bool showIds);
    void loadTargetList();
    void setTargetCaption(int count, bool afterClick);
    // Writes the fields of the connection settings the operator changed here.
    void writeConnCfg(unsigned fields);
    QString caption() const;
    LocalDateTime now() const;
    std::chrono::steady_clock::time_point steadyNow() const;

    void transmitterAttached(const std::shared_ptr<HidDevice>&) override;
    void transmitterRemoved(const std::shared_ptr<HidDevice>&) override;

    SettingsLink devices_;
    SettingsServices services_;
    std::unique_ptr<Sleeper> ownSleeper_;
    std::unique_ptr<RandomRange> ownRandom_;
    std::unique_ptr<Clock> ownClock_;
    std::unique_ptr<OperatorLink> link_;
    std::unique_ptr<PageByHourList> pageByHour_;
    std::unique_ptr<TransmitterPairing> pairing_;
    std::unique_ptr<TransferRunner> runner_;
    bool loadingTargets_ = false;
    bool closing_ = false;       // the resume command of a close is going out
    bool closeAfterRun_ = false; // closed during a run: closes once it has ended
    int closeResult_ = 0;
    bool pollRunning_ = false; // the run going on is a configuration poll
};

} // namespace vorelux::app

#pragma once
// Everything the main window gets from sending: the send dialog, the panel
// chooser, the panel-number display, the power buttons with their menus, and
// the openers of the send dialog. The window builds one SendFeatures and
// hands it its buttons (installSendFeatures does it all from a SendHost).
//
// The features send through their own PanelLink on the shared devices; its
// pauses are slept by the worker threads of the transfers. The power
// commands, the chooser's send and the panel-number display share one
// TransferRunner: one of their runs at a time, the window free meanwhile.
#include "app/link/operator_link.h"
#include "app/link/transfer_runner.h"
#include "app/send/chooser.h"
#include "app/send/id_display.h"
#include "app/send/send_dialog.h"
#include "link/panel_link.h"

#include <QObject>
#include <memory>

class QAbstractButton;
class QAction;
class QMenu;

namespace vorelux {
class ProgressWindowDialog;
}

namespace vorelux::app {

// The devices and the shared state, owned by the window.
struct SendLink {
    ConnectionSettingsStore& settings;
    PortCatalog& catalog;
    SerialPort& port;
    Transmitter& transmitter;
    Prompter& prompter;
};

struct SendFeatureServices {
    std::string connCfgPath = "conn.cfg";
    std::function<QString()> mainCaption;
    std::function<void(bool)> setMainEnabled;
    std::function<int()> currentPage;
    std::function<void()> afterSendClose;    // the main window's timer on, its text focused
    std::function<void()> openOnOffSettings; // "Automático": the settings on their on/off tab
    Sleeper* sleeper = nullptr;              // the pauses; a ThreadSleeper when empty
    RandomRange* random = nullptr;           // page keys
};

class SendFeatures final : public QObject {
    Q_OBJECT
  public:
    SendFeatures(SendLink devices, PageStore& store, SendFeatureServices services,
                 QWidget* mainWindow);
    ~SendFeatures() override;

    OperatorLink& link() { return *link_; }
    SendPagesDialog& sendDialog() { return *sendDialog_; }
    PanelChooserDialog& chooser() { return *panelChooser_; }
    PanelNumberDisplay& panelNumberDisplay() { return *panelNumberDisplay_; }
    QMenu* powerOnMenu() const { return powerOnButtonMenu_; }
    QMenu* powerOffMenu() const { return powerOffButtonMenu_; }
    ProgressWindowDialog* progressWindow() const { return progressWindow_; }

    // "Enviar": closes the dialog when it is showing, then shows it on its
    // first page and brings it forward.
    void openSendDialog();
    // The power buttons: every stored target on (with the progress window,
    // whose "Cancelar" stops before the next panel) or off; the menus'
    // "Ligar todos" / "Desligar todos" (every panel at once) and "Escolher
    // painíes ..." (the chooser). Each starts a run on the worker and returns;
    // a failure is told once the run has ended, then runFinished() is
    // emitted. Ignored while another run of the features or of the send
    // dialog is going out.
    void switchOnStoredTargets();
    void switchOffStoredTargets();
    void switchOnAllPanels();
    void switchOffAllPanels();
    void choosePanels(PanelChooserDialog::Mode mode);
    // "Exibir IDs": the panel-number display, modally; ignored during a run.
    void showPanelNumbers();
    // A run of the power commands, the chooser or the display is going out.
    bool running() const { return runner_->running(); }

    // Hooks the window's controls: the power buttons (click and right-click
    // menus), the "Enviar" button and menu entry, and the first entries of
    // the preview buttons' menus ("Ligar todos", "Desligar todos").
    void attachPowerButtons(QAbstractButton* on, QAbstractButton* off);
    void attachSendOpeners(QAbstractButton* button, QAction* menuEntry);
    void attachPreviewMenus(QMenu* panelsOn, QMenu* panelsOff);
    // "Automático" on the power menus: the settings dialog on its on/off tab.
    // The entries stay disabled until an opener is given.
    void setOnOffSettingsOpener(std::function<void()> opener);

  signals:
    // A run of the features has ended and its result has been told.
    void runFinished();

  private:
    // Whether another run (of the features or the send dialog) is going out.
    bool busy() const;
    // Sends `command` to the stored targets on the worker, with the
    // progress window or without.
    void runOnStoredTargets(uint8_t command, bool withProgress);
    // Sends `command` to every panel at once on the worker.
    void runOnAllPanels(uint8_t command);
    void holdSendDialogWhileRunning();

    SendFeatureServices services_;
    std::unique_ptr<Sleeper> ownSleeper_;
    std::unique_ptr<OperatorLink> link_;
    std::unique_ptr<TransferRunner> runner_;
    ProgressWindowDialog* progressWindow_ = nullptr;
    SendPagesDialog* sendDialog_ = nullptr;
    PanelChooserDialog* panelChooser_ = nullptr;
    PanelNumberDisplay* panelNumberDisplay_ = nullptr;
    QMenu* powerOnButtonMenu_ = nullptr;
    QMenu* powerOffButtonMenu_ = nullptr;
    QAction* automaticOnEntry_ = nullptr;
    QAction* automaticOffEntry_ = nullptr;
    bool openPending_ = false; // "Enviar" clicked during a run
};

// What the sending windows hook into on the window that owns them. Null
// controls and empty functions are left alone.
struct SendHost {
    QWidget* window = nullptr; // parent of the dialogs
    QString caption;           // their caption; empty: the window's title
    PageStore* store = nullptr;
    QString connCfgPath;                   // empty: the services' path
    std::function<int()> currentPage;      // the page tab selected
    std::function<void(bool)> setEnabled;  // the window's controls during a run
    std::function<void()> afterSendClose;  // e.g. the cursor blink on again, the line focused
    QAbstractButton* sendButton = nullptr; // "Enviar"
    QAction* sendAction = nullptr;         // the menu's "Enviar"
    QAbstractButton* powerOnButton = nullptr;
    QAbstractButton* powerOffButton = nullptr;
    QMenu* previewOnMenu = nullptr;  // right click on "Visualizar": first entry "Ligar todos"
    QMenu* previewOffMenu = nullptr; // right click on "Parar": first entry "Desligar todos"
};

// Builds the features for `host` and hooks its controls; the services given
// win over the host's. `host.window` and `host.store` must be set.
std::unique_ptr<SendFeatures> installSendFeatures(const SendHost& host, SendLink devices,
                                                  SendFeatureServices services = {});

} // namespace vorelux::app

#pragma once
// Everything the main window gets from sending: the send dialog, the panel
// chooser, the panel-number display, the power buttons with their menus, and
// the openers of the send dialog. The window builds one SendFeatures and
// hands it its buttons (installSendFeatures does it all for TForm1).
//
// The features send through their own PanelLink on the shared devices, with
// pauses that keep the event loop running.
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

class TForm1;

// The devices and the shared state, owned by the window.
struct SendLink {
    ConnectionSettings& cfg;
    PortCatalog& catalog;
    SerialPort& port; // ComPort1
    Transmitter& kq;
    Prompter& prompter;
};

struct SendFeatureServices {
    std::string connCfgPath = "conn.cfg";
    std::function<QString()> mainCaption;
    std::function<void(bool)> setMainEnabled;
    std::function<int()> currentPage;
    std::function<void()> afterSendClose;    // Timer1 on, focus mmEdit
    std::function<void()> openOnOffSettings; // "Automático": the settings on their on/off tab
    Sleeper* sleeper = nullptr;              // the pauses; kept alive by the event loop when empty
    RandomRange* random = nullptr;           // page keys
};

class SendFeatures final : public QObject {
    Q_OBJECT
  public:
    SendFeatures(SendLink devices, PageStore& store, SendFeatureServices services,
                 QWidget* mainWindow);
    ~SendFeatures() override;

    PanelLink& link() { return *link_; }
    TfrmEnviar& sendDialog() { return *send_; }
    TForm2& chooser() { return *chooser_; }
    TfrmExibeID& idDisplay() { return *idDisplay_; }
    QMenu* powerOnMenu() const { return powerOnMenu_; }
    QMenu* powerOffMenu() const { return powerOffMenu_; }
    ProgressWindowDialog* progressWindow() const { return progress_; }

    // "Enviar": closes the dialog when it is showing, then shows it on its
    // first page and brings it forward.
    void openSendDialog();
    // The power buttons: every stored target on (with the progress window)
    // or off; the menus' "Ligar todos" / "Desligar todos" and the chooser.
    void JvSpeedButton1Click();
    void JvSpeedButton2Click();
    void ligarTodos();
    void desligarTodos();
    void escolherPaineis(TForm2::Mode mode);
    // "Exibir IDs": the panel-number display, modally.
    void exibirIds();

    // Hooks the window's controls: the power buttons (click and right-click
    // menus), the "Enviar" button and menu entry, and the first entries of
    // the preview buttons' menus ("Ligar todos", "Desligar todos").
    void attachPowerButtons(QAbstractButton* on, QAbstractButton* off);
    void attachSendOpeners(QAbstractButton* button, QAction* menuEntry);
    void attachPreviewMenus(QMenu* panelsOn, QMenu* panelsOff);
    // "Automático" on the power menus: the settings dialog on its on/off tab.
    // The entries stay disabled until an opener is given.
    void setOnOffSettingsOpener(std::function<void()> opener);

  private:
    // Runs one command unless another is still going out.
    void guarded(const std::function<void()>& command);

    SendFeatureServices services_;
    std::unique_ptr<Sleeper> ownSleeper_;
    std::unique_ptr<PanelLink> link_;
    ProgressWindowDialog* progress_ = nullptr;
    TfrmEnviar* send_ = nullptr;
    TForm2* chooser_ = nullptr;
    TfrmExibeID* idDisplay_ = nullptr;
    QMenu* powerOnMenu_ = nullptr;
    QMenu* powerOffMenu_ = nullptr;
    QAction* autoOn_ = nullptr;
    QAction* autoOff_ = nullptr;
    bool busy_ = false;
};

// Builds the features for the main window and hooks its controls.
std::unique_ptr<SendFeatures> installSendFeatures(TForm1& window, SendLink devices,
                                                  SendFeatureServices services = {});

} // namespace vorelux::app

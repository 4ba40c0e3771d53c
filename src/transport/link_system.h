#pragma once
// The panel link on the real devices, wired in one place: the serial port
// catalog and port, the HID bus with the transmitter and its watcher, the
// pauses, and the PanelLink every window sends through. The main window
// creates one and starts it once its event loop is about to run.
#include "link/panel_link.h"
#include "link/port_directory.h"
#include "transport/hid_watcher.h"
#include "transport/qt_network.h"
#include "transport/qt_serial.h"

#include <QObject>
#include <memory>

namespace vorelux {

class LinkSystem {
  public:
    // `addedPortsPath`: the operator's added ports ("portas.txt" beside "conn.cfg").
    // The front end sets transmitter().problemReported before start().
    LinkSystem(ConnectionSettingsStore& settings, std::string addedPortsPath);
    ~LinkSystem();

    // Starts looking for the transmitter: a first scan once the event loop
    // runs, then a rescan every 1.5 s.
    void start() { watcher_->start(); }

    PanelLink& link() { return *link_; }
    Transmitter& transmitter() { return *transmitter_; }
    // The ports the system lists (plus those registered by tests).
    QtPortCatalog& catalog() { return catalog_; }
    // Every port the link may use: the system's, the running virtual
    // panels' and the operator's added ones ("portas.txt").
    PortDirectory& ports() { return directory_; }
    // The one port of the editor: a serial device or a device server.
    SerialPort& port() { return port_; }
    // Emits statusTextChanged for the main window's last status panel.
    TransmitterWatcher& watcher() { return *watcher_; }

  private:
    QtPortCatalog catalog_;
    PortDirectory directory_;
    QtSerialPort serialPort_;
    QtNetworkPort networkPort_;
    PortByAddress port_{serialPort_, networkPort_};
    ThreadSleeper sleeper_;
    std::unique_ptr<HidBus> bus_;
    std::unique_ptr<Transmitter> transmitter_;
    std::unique_ptr<PanelLink> link_;
    std::unique_ptr<TransmitterWatcher> watcher_;
};

} // namespace vorelux

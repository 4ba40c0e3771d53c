#pragma once
// The panel link on the real devices, wired in one place: the serial port
// catalog and port, the HID bus with the transmitter and its watcher, the
// pauses, and the PanelLink every window sends through. The main window
// creates one and starts it once its event loop is about to run.
#include "link/hid_watcher.h"
#include "link/panel_link.h"
#include "link/qt_serial.h"

#include <QObject>
#include <memory>

namespace vorelux {

class LinkSystem {
  public:
    LinkSystem(ConnectionSettings& cfg, Prompter& prompter);
    ~LinkSystem();

    // Starts looking for the transmitter: a first scan once the event loop
    // runs, then a rescan every 1.5 s.
    void start() { watcher_->start(); }

    PanelLink& link() { return *link_; }
    Transmitter& transmitter() { return *transmitter_; }
    QtPortCatalog& catalog() { return catalog_; }
    // The one serial port of the editor (ComPort1).
    SerialPort& port() { return port_; }
    // Emits statusTextChanged for the main window's last status panel.
    TransmitterWatcher& watcher() { return *watcher_; }

  private:
    QtPortCatalog catalog_;
    QtSerialPort port_;
    ThreadSleeper sleeper_;
    std::unique_ptr<HidBus> bus_;
    std::unique_ptr<Transmitter> transmitter_;
    std::unique_ptr<PanelLink> link_;
    std::unique_ptr<TransmitterWatcher> watcher_;
};

} // namespace vorelux

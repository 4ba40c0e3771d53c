#pragma once
// The USB radio transmitter ("Transmissor KQ"): finding it among the HID
// devices, asking its identity, noticing its removal, and writing reports to
// it. Everything here runs on the user-interface thread; the platform layer
// calls scanDevices, deviceReport and deviceUnplugged (from a rescan timer,
// with the reader thread's reports handed over to this thread, after a failed
// read).
#include "files/conn_cfg.h"
#include "link/hid.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vorelux {

// The product string that marks the transmitter, trailing space included.
inline constexpr const char* KqProductString = "TRANSMISSOR-KQ ";

// The texts that show the active transport.
inline constexpr const char* StatusUsb = "[USB] Transmissor KQ";
inline constexpr const char* StatusSerial = "[Serial] Porta COM";
inline constexpr const char* ChooserUsb = "Comunicação por  Transmissor KQ";
inline constexpr const char* ChooserSerial = "Comunicação por Serial";

// The windows that follow the transmitter: they show its box, enable its
// configuration page, change the status text. Every method has a default.
class TransmitterObserver {
  public:
    virtual ~TransmitterObserver() = default;
    // A transmitter was taken (the transport is the transmitter now).
    virtual void transmitterAttached(const std::shared_ptr<HidDevice>&) {}
    // The transmitter was unplugged or replaced (back to the serial port after an unplug).
    virtual void transmitterRemoved(const std::shared_ptr<HidDevice>&) {}
    // The main window's last status panel: StatusUsb or StatusSerial.
    virtual void linkStatusChanged(const std::string&) {}
};

// The settings dialog, once it exists: the front end's side of a transmitter
// that reports itself not configured.
class TransmitterConfigurator {
  public:
    virtual ~TransmitterConfigurator() = default;
    // Whether the operator wants to configure the transmitter now (the
    // dialog asks Prompt::ConfigureTransmitter).
    virtual bool confirmConfiguration() = 0;
    // Opens the dialog modally on its transmitter configuration page and
    // returns when it has closed.
    virtual void openTransmitterConfiguration() = 0;
};

class Transmitter {
  public:
    Transmitter(HidBus& bus, ConnectionSettingsStore& settings);

    // Problems the operator is to read (a transmitter found but not usable,
    // a failed report write), set by the front end; without it they are
    // only in the results.
    std::function<void(const std::string&)> problemReported;

    void addObserver(TransmitterObserver* observer);
    void removeObserver(TransmitterObserver* observer);
    // The settings dialog registers itself when it is created (nullptr: none).
    void setConfigurator(TransmitterConfigurator* configurator) { configurator_ = configurator; }
    TransmitterConfigurator* configurator() const { return configurator_; }

    // Device scan: examines each HID device not examined since it was plugged
    // in; one whose product string is exactly KqProductString becomes the
    // transmitter (the last of several). Also notices a held transmitter that
    // is no longer listed.
    void scanDevices();
    // An input report (report ID, then data) from device `path`. Only the
    // awaited identity reply of the held transmitter counts.
    void deviceReport(const std::string& path, const std::vector<uint8_t>& report);
    // Device `path` was removed; only the held transmitter counts.
    void deviceUnplugged(const std::string& path);

    // Writes one output report of the device's full length; `buf` fills its
    // start (buf[0] is the report ID, 0) and zeros the rest. False when no
    // transmitter is attached (nothing is done) or when the write failed
    // (problemReported gets "ERRO DE ESCRITA: ...").
    bool writeReport(const std::vector<uint8_t>& buf);

    bool attached() const { return device_ != nullptr; }
    std::shared_ptr<HidDevice> device() const { return device_; }

    // Set while the identity request waits for its reply.
    bool awaitingReply = false;
    // Set when the transmitter reports itself not configured; cleared once the
    // operator has been through the configuration page, on removal, at start.
    bool transmitterNotConfigured = false;

  private:
    void take(const HidDeviceInfo& info, std::shared_ptr<HidDevice> device);
    void release(bool unplugged);
    void notifyStatus(const char* text);
    void reportProblem(const std::string& text);

    HidBus& bus_;
    ConnectionSettingsStore& settings_;
    TransmitterConfigurator* configurator_ = nullptr;
    std::vector<TransmitterObserver*> observers_;
    std::shared_ptr<HidDevice> device_;
    std::set<std::string> examined_; // paths examined while they stay plugged in
    bool scanning_ = false;
};

// The text of a failed report write: "ERRO DE ESCRITA: <text> (<code in hex>)".
std::string writeErrorText(const std::string& systemText, unsigned code);

} // namespace vorelux

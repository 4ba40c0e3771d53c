#pragma once
// The parameter command and the common ways of sending to the target panels.
// One PanelLink serves every window: the send dialog, the settings dialog,
// the power buttons and the panel chooser all send through it.
#include "files/conn_cfg.h"
#include "link/frames.h"
#include "link/serial.h"
#include "link/transmitter.h"
#include "model/prompts.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vorelux {

// A panel drops a frame whose next byte is 500 ms late; a transfer that may
// follow a cut frame waits this long before its first byte (the margin
// covers a busy computer reading the line late).
constexpr int LineSettleMs = 700;

// Send results.
enum SendResult : uint8_t {
    SendOk = 0,            // sent (or nothing to send)
    SendPortNotListed = 1, // the configured port is not installed; nothing was opened
    SendPortFailed = 2,    // opening or writing the serial port failed
    SendKqWriteFailed = 3, // writing to the transmitter failed
    SendKqNoIdentity = 4,  // the transmitter has not answered its identity request yet
};

// The prompt that tells the operator of a send result; nothing for SendOk.
// 1 prompt PortNotSelected, 2 prompt PortBusy, 3 and 4 prompt ConfigureTransmitter (whose Yes opens
// the transmitter configuration).
std::optional<Prompt> sendResultPrompt(uint8_t result);

// What the operator is to be told once a transfer has ended: a message
// (empty: none), then the prompts in order; the front end shows them (Yes on
// prompt ConfigureTransmitter opens the transmitter configuration).
struct Notice {
    std::string message;
    std::vector<Prompt> prompts;
    bool operator==(const Notice&) const = default;
};
// The notice of a send result: its prompt, if any.
Notice sendResultNotice(uint8_t result);

// Runs a device effect (a port or transmitter call) on the thread
// that owns the devices and returns once it has run. A link used by a worker
// thread gets one; without it every effect runs on the calling thread.
using DeviceGate = std::function<void(const std::function<void()>&)>;

// The progress window of a per-panel loop: a bar and a cancel button.
class ProgressWindow {
  public:
    virtual ~ProgressWindow() = default;
    // Shows the window with the bar from 0 to `maximum`, at 0.
    virtual void start(int maximum) = 0;
    // Moves the bar; false once the operator has cancelled.
    virtual bool step(int position) = 0;
    // Closes the window.
    virtual void finish() = 0;
};

// Items of a target check list: item 0 every panel, item n panel n.
using TargetChecks = std::array<bool, 256>;

// Sends one command (or a fixed sequence of them) to one panel; returns the
// last send result.
using PanelCommand = std::function<uint8_t(PanelId)>;

enum class AfterFailure {
    Stop,     // the first non-zero result ends the loop (the usual case)
    Continue, // every panel is tried; the first failure is the one reported
};

class PanelLink {
  public:
    PanelLink(ConnectionSettingsStore& settings, PortCatalog& catalog, SerialPort& serialPort,
              Transmitter& transmitter, Sleeper& sleeper);

    // One parameter command through the active transport. Serial: the
    // 4-byte frame, 50 ms after the first byte and 25 ms after each other.
    // Transmitter: the report three times, transmitterPauseMs after each. Returns a SendResult.
    uint8_t sendParameter(uint8_t parameterId, PanelId panel, uint8_t value);

    ~PanelLink();

    // From now on every device effect of this link goes through `gate`.
    void setDeviceGate(DeviceGate gate);
    // From now on network addresses ("socket://", "rfc2217://") are opened
    // and written through `network` on the calling thread, around the gate:
    // a worker waits for a device server itself while the window's thread
    // goes on. Null: through the link's port as everything else.
    void setNetworkPort(SerialPort* network) { network_ = network; }
    // True once the operator has stopped the transfer: a port that failed
    // while waiting then ends the transfer as cancelled, not as failed.
    void setStopCheck(std::function<bool()> stopped) { stopped_ = std::move(stopped); }
    // Writes one transmitter report (see Transmitter::writeReport).
    bool writeReport(const std::vector<uint8_t>& report);
    bool transmitterAttached();

    // One serial transfer on "COM" + cfg.portNumber (see serialTransfer); used by
    // sendParameter and by the page upload. Cancelled when the port failed
    // after the stop check came true. Unless this link's last transfer
    // on that port ended with whole frames, the line is first left idle for
    // LineSettleMs once the port is open (through `pauses` when given, else
    // the link's sleeper): a frame cut off before (a send killed or
    // cancelled midway, by this program or another) is then dropped by the
    // panels instead of swallowing the first frame of this transfer.
    SerialOutcome serialTransfer(const std::function<bool(SerialWriter&)>& body, std::string& error,
                                 Sleeper* pauses = nullptr);

    // A command that sends parameter parameterId with value value to its panel.
    PanelCommand parameter(uint8_t parameterId, uint8_t value);

    // Sends `command` to the panels checked in a target list: with item 0
    // checked, once to panel 0; otherwise to each checked panel 1..255 in
    // turn, with `progress` (may be null) moved to each number and checked for
    // a cancel. Starts by setting lastSendResult to 0, stores each result in
    // it and returns it. The front end then tells sendResultNotice of it.
    uint8_t sendToCheckedPanels(const TargetChecks& checked, const PanelCommand& command,
                                ProgressWindow* progress,
                                AfterFailure afterFailure = AfterFailure::Stop);

    // Sends `command` to the panels of a stored target list (ConnectionSettings::targetPanels):
    // nothing for an empty list, once to panel 0 when it starts with 0,
    // otherwise to each entry in list order with `progress` (may be null) moved
    // to the entry's index; stops at the first non-zero result or a cancel.
    uint8_t sendToPanelList(const std::vector<uint8_t>& targetPanels, const PanelCommand& command,
                            ProgressWindow* progress);

    const ConnectionSettings& cfg() const { return settings_.get(); }
    // The owner of the settings, for whoever changes them.
    ConnectionSettingsStore& settings() { return settings_; }
    // The transmitter itself, for its observers: only on its own thread.
    Transmitter& transmitter() { return transmitter_; }
    // The catalog and port, through the gate when there is one.
    PortCatalog& catalog();
    SerialPort& port();
    Sleeper& sleeper() { return sleeper_; }

    // The port whose line this link's last transfer left with whole frames
    // (see serialTransfer); a link that stands in for another for one
    // transfer takes it over and hands it back.
    std::optional<int> settledPort() const { return settledPort_; }
    void setSettledPort(std::optional<int> port) { settledPort_ = port; }

    // The last send result, for the front end to tell (sendResultNotice).
    uint8_t lastSendResult = 0;
    // The pause after each transmitter report.
    int transmitterPauseMs = 160;
    // Why the last serial transfer failed (opening or writing), for whoever
    // wants to say more than "Porta COM ocupada.".
    std::string lastSerialError;

  private:
    uint8_t sendParameterByTransmitter(uint8_t parameterId, PanelId panel, uint8_t value);
    uint8_t sendParameterBySerial(uint8_t parameterId, PanelId panel, uint8_t value);
    void finishProgress(ProgressWindow* progress);

    ConnectionSettingsStore& settings_;
    PortCatalog& catalog_;
    SerialPort& port_;
    Transmitter& transmitter_;
    Sleeper& sleeper_;
    DeviceGate gate_;
    SerialPort* network_ = nullptr;
    std::function<bool()> stopped_;
    struct Gated; // the catalog and port behind the gate
    std::unique_ptr<Gated> gated_;
    // The port whose line this link's last transfer left with whole frames.
    std::optional<int> settledPort_;
};

} // namespace vorelux

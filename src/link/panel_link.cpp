#include "link/panel_link.h"

#include "link/port_address.h"

namespace vorelux {

namespace {
constexpr int FirstBytePause = 50; // after the panel address: the panels wake up
constexpr int BytePause = 25;      // after each further byte of a parameter frame
constexpr int ProgressEndPause = 20;
constexpr int KqRepeats = 3; // each report goes out three times over the radio
} // namespace

std::optional<Prompt> sendResultPrompt(uint8_t result) {
    switch (result) {
    case SendPortNotListed:
        return Prompt::PortNotSelected;
    case SendPortFailed:
        return Prompt::PortBusy;
    case SendKqWriteFailed:
    case SendKqNoIdentity:
        return Prompt::ConfigureTransmitter;
    default:
        return std::nullopt;
    }
}

// Each call of the devices behind the gate runs where the gate says.
struct PanelLink::Gated {
    struct Catalog : PortCatalog {
        PanelLink& link;
        explicit Catalog(PanelLink& l) : link(l) {}
        bool listPorts(std::vector<SerialPortInfo>& ports) override {
            bool ok = false;
            link.gate_([&] { ok = link.catalog_.listPorts(ports); });
            return ok;
        }
        std::vector<std::string> notes() override {
            std::vector<std::string> out;
            link.gate_([&] { out = link.catalog_.notes(); });
            return out;
        }
    };
    // Devices through the gate; network addresses, when the link has its
    // own network port, straight through that one.
    struct Port : SerialPort {
        PanelLink& link;
        bool onNetwork = false;
        explicit Port(PanelLink& l) : link(l) {}
        bool open(const std::string& device, std::string& error) override {
            if (onNetwork) link.network_->close();
            onNetwork = link.network_ && isNetworkAddress(device);
            if (onNetwork) return link.network_->open(device, error);
            bool ok = false;
            link.gate_([&] { ok = link.port_.open(device, error); });
            return ok;
        }
        bool writeByte(uint8_t byte, std::string& error) override {
            if (onNetwork) return link.network_->writeByte(byte, error);
            bool ok = false;
            link.gate_([&] { ok = link.port_.writeByte(byte, error); });
            return ok;
        }
        void close() override {
            if (onNetwork)
                link.network_->close();
            else
                link.gate_([&] { link.port_.close(); });
            onNetwork = false;
        }
    };
    Catalog catalog;
    Port port;
    explicit Gated(PanelLink& link) : catalog(link), port(link) {}
};

PanelLink::PanelLink(ConnectionSettingsStore& settings, PortCatalog& catalog,
                     SerialPort& serialPort, Transmitter& transmitter, Sleeper& sleeper)
    : settings_(settings), catalog_(catalog), port_(serialPort), transmitter_(transmitter),
      sleeper_(sleeper) {}

PanelLink::~PanelLink() = default;

void PanelLink::setDeviceGate(DeviceGate gate) {
    gate_ = std::move(gate);
    gated_ = gate_ ? std::make_unique<Gated>(*this) : nullptr;
}

PortCatalog& PanelLink::catalog() {
    return gated_ ? gated_->catalog : catalog_;
}

SerialPort& PanelLink::port() {
    return gated_ ? static_cast<SerialPort&>(gated_->port) : port_;
}

bool PanelLink::writeReport(const std::vector<uint8_t>& report) {
    if (!gate_) return transmitter_.writeReport(report);
    bool ok = false;
    gate_([&] { ok = transmitter_.writeReport(report); });
    return ok;
}

bool PanelLink::transmitterAttached() {
    if (!gate_) return transmitter_.attached();
    bool attached = false;
    gate_([&] { attached = transmitter_.attached(); });
    return attached;
}

uint8_t PanelLink::sendParameter(uint8_t parameterId, PanelId panel, uint8_t value) {
    if (cfg().transport == Transport::Transmitter)
        return sendParameterByTransmitter(parameterId, panel, value);
    return sendParameterBySerial(parameterId, panel, value);
}

uint8_t PanelLink::sendParameterByTransmitter(uint8_t parameterId, PanelId panel, uint8_t value) {
    if (cfg().transmitterIdentity[6] == 0) return SendKqNoIdentity;
    auto report = kqParamReport(cfg().transmitterIdentity, parameterId, panel, value);
    std::vector<uint8_t> buf(report.begin(), report.end());
    for (int i = 0; i < KqRepeats; ++i) {
        // A write that fails (or a transmitter that is gone) ends the command.
        if (!writeReport(buf)) return SendKqWriteFailed;
        sleeper_.sleep(transmitterPauseMs);
    }
    return SendOk;
}

uint8_t PanelLink::sendParameterBySerial(uint8_t parameterId, PanelId panel, uint8_t value) {
    auto frame = serialParamFrame(parameterId, panel, value);
    std::string error;
    SerialOutcome outcome = serialTransfer(
        [&](SerialWriter& out) {
            return out.write(frame[0], FirstBytePause) && out.write(frame[1], BytePause) &&
                   out.write(frame[2], BytePause) && out.write(frame[3], BytePause);
        },
        error);
    switch (outcome) {
    case SerialOutcome::Sent:
    case SerialOutcome::Cancelled: // nothing sent, nothing to tell
        return SendOk;
    case SerialOutcome::PortNotListed:
        return SendPortNotListed;
    case SerialOutcome::PortFailed:
        break;
    }
    return SendPortFailed;
}

SerialOutcome PanelLink::serialTransfer(const std::function<bool(SerialWriter&)>& body,
                                        std::string& error, Sleeper* pauses) {
    const int number = cfg().portNumber;
    const std::optional<int> before = settledPort_;
    const bool settled = before == number;
    settledPort_.reset();
    Sleeper& settle = pauses ? *pauses : sleeper_;
    const auto afterIdleLine = [&](SerialWriter& out) {
        if (!settled) settle.sleep(LineSettleMs);
        return body(out);
    };
    SerialOutcome outcome =
        vorelux::serialTransfer(catalog(), port(), sleeper_, number, afterIdleLine, error);
    if (outcome == SerialOutcome::PortFailed && stopped_ && stopped_())
        outcome = SerialOutcome::Cancelled;
    if (outcome == SerialOutcome::PortFailed) lastSerialError = error;
    if (outcome == SerialOutcome::Sent) settledPort_ = number;
    // Nothing was opened: every line is as it was.
    if (outcome == SerialOutcome::PortNotListed) settledPort_ = before;
    return outcome;
}

Notice sendResultNotice(uint8_t result) {
    Notice notice;
    if (auto prompt = sendResultPrompt(result)) notice.prompts.push_back(*prompt);
    return notice;
}

PanelCommand PanelLink::parameter(uint8_t parameterId, uint8_t value) {
    return [this, parameterId, value](PanelId panel) {
        return sendParameter(parameterId, panel, value);
    };
}

void PanelLink::finishProgress(ProgressWindow* progress) {
    if (!progress) return;
    progress->step(255);
    sleeper_.sleep(ProgressEndPause);
    progress->finish();
}

uint8_t PanelLink::sendToCheckedPanels(const TargetChecks& checked, const PanelCommand& command,
                                       ProgressWindow* progress, AfterFailure afterFailure) {
    lastSendResult = SendOk;
    if (checked[0]) {
        lastSendResult = command(EveryPanel);
        return lastSendResult;
    }
    if (progress) progress->start(255);
    for (int n = 1; n <= 255; ++n) {
        if (progress && !progress->step(n)) break;
        if (!checked[n]) continue;
        uint8_t result = command(static_cast<PanelId>(n));
        if (afterFailure == AfterFailure::Stop) {
            lastSendResult = result;
            if (result != SendOk) break;
        } else if (lastSendResult == SendOk) {
            lastSendResult = result;
        }
    }
    finishProgress(progress);
    return lastSendResult;
}

uint8_t PanelLink::sendToPanelList(const std::vector<uint8_t>& targetPanels,
                                   const PanelCommand& command, ProgressWindow* progress) {
    lastSendResult = SendOk;
    if (targetPanels.empty()) return lastSendResult;
    if (targetPanels.front() == EveryPanel) {
        lastSendResult = command(EveryPanel);
        return lastSendResult;
    }
    if (progress) progress->start(static_cast<int>(targetPanels.size()) - 1);
    for (size_t i = 0; i < targetPanels.size(); ++i) {
        if (progress && !progress->step(static_cast<int>(i))) break;
        lastSendResult = command(targetPanels[i]);
        if (lastSendResult != SendOk) break;
    }
    finishProgress(progress);
    return lastSendResult;
}

} // namespace vorelux

#include "link/panel_link.h"

namespace vorelux {

namespace {
constexpr int FirstBytePause = 50; // after the panel address: the panels wake up
constexpr int BytePause = 25;      // after each further byte of a parameter frame
constexpr int ProgressEndPause = 20;
constexpr int KqRepeats = 3; // each report goes out three times over the radio
} // namespace

PanelLink::PanelLink(ConnectionSettings& cfg, PortCatalog& catalog, SerialPort& ComPort1,
                     Transmitter& kq, Sleeper& sleeper, Prompter& prompter)
    : cfg_(cfg), catalog_(catalog), port_(ComPort1), kq_(kq), sleeper_(sleeper),
      prompter_(prompter) {}

uint8_t PanelLink::sendParameter(uint8_t parameterId, PanelId panel, uint8_t value) {
    if (cfg_.transport == Transport::Transmitter)
        return sendParameterByTransmitter(parameterId, panel, value);
    return sendParameterBySerial(parameterId, panel, value);
}

uint8_t PanelLink::sendParameterByTransmitter(uint8_t parameterId, PanelId panel, uint8_t value) {
    if (cfg_.transmitterIdentity[6] == 0) return SendKqNoIdentity;
    auto report = kqParamReport(cfg_.transmitterIdentity, parameterId, panel, value);
    std::vector<uint8_t> buf(report.begin(), report.end());
    for (int i = 0; i < KqRepeats; ++i) {
        // A write that fails (or a transmitter that is gone) ends the command.
        if (!kq_.comunica(buf)) return SendKqWriteFailed;
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
        return SendOk;
    case SerialOutcome::PortNotListed:
        return SendPortNotListed;
    case SerialOutcome::PortFailed:
        break;
    }
    return SendPortFailed;
}

SerialOutcome PanelLink::serialTransfer(const std::function<bool(SerialWriter&)>& body,
                                        std::string& error) {
    SerialOutcome outcome =
        vorelux::serialTransfer(catalog_, port_, sleeper_, cfg_.portNumber, body, error);
    if (outcome == SerialOutcome::PortFailed) lastSerialError = error;
    return outcome;
}

void PanelLink::reportSendResult() {
    switch (lastSendResult) {
    case SendPortNotListed:
        prompter_.ask(Prompt::PortNotSelected);
        break;
    case SendPortFailed:
        prompter_.ask(Prompt::PortBusy);
        break;
    case SendKqWriteFailed:
    case SendKqNoIdentity:
        if (prompter_.ask(Prompt::ConfigureTransmitter) == ButtonYes) {
            if (auto* configurator = kq_.configurator())
                configurator->openTransmitterConfiguration();
        }
        break;
    default:
        break;
    }
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

uint8_t PanelLink::sendToPanelList(const std::vector<uint8_t>& paineis, const PanelCommand& command,
                                   ProgressWindow* progress) {
    lastSendResult = SendOk;
    if (paineis.empty()) return lastSendResult;
    if (paineis.front() == EveryPanel) {
        lastSendResult = command(EveryPanel);
        return lastSendResult;
    }
    if (progress) progress->start(static_cast<int>(paineis.size()) - 1);
    for (size_t i = 0; i < paineis.size(); ++i) {
        if (progress && !progress->step(static_cast<int>(i))) break;
        lastSendResult = command(paineis[i]);
        if (lastSendResult != SendOk) break;
    }
    finishProgress(progress);
    return lastSendResult;
}

} // namespace vorelux

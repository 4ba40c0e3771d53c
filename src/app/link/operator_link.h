#pragma once
// The operator's side of the link: the windows' PanelLink with the prompter
// beside it, which shows what the link reports once a transfer has ended,
// and the front end's answers to what reading the settings found. No Qt:
// the link tests tell their notices through it too.
#include "app/prompter.h"
#include "files/conn_cfg.h"
#include "link/panel_link.h"
#include "link/panel_settings.h"

namespace vorelux {

// Shows a notice on the calling thread: its message, then its prompts in
// order; Yes on prompt ConfigureTransmitter opens the transmitter configuration.
inline void tellOperator(Prompter& prompter, Transmitter& transmitter, const Notice& notice) {
    if (!notice.message.empty()) prompter.message(notice.message);
    for (Prompt prompt : notice.prompts) {
        if (prompter.ask(prompt) == ButtonYes && prompt == Prompt::ConfigureTransmitter) {
            if (auto* configurator = transmitter.configurator())
                configurator->openTransmitterConfiguration();
        }
    }
}

// Tells what reading "conn.cfg" found: the message of an untrusted file;
// for a damaged one prompt SettingsUnreadable; then why a new file could not
// be written. A first start (no file yet) asks nothing.
inline void tellConnCfgRead(Prompter& prompter, const ConnCfgReadResult& result) {
    using Status = ConnCfgReadResult::Status;
    if (result.status == Status::Loaded) return;
    if (result.status == Status::Unreadable) prompter.ask(Prompt::SettingsUnreadable);
    if (!result.message.empty()) prompter.message(result.message);
}

// Tells a change of daylight-saving time found at start-up (a failed write,
// then prompt DaylightSavingStarted or 7). True when the operator wants the clock adjusted now.
inline bool askDaylightSavingAdjust(Prompter& prompter, const DaylightSavingCheck& check) {
    const auto prompt = daylightSavingPrompt(check.change);
    if (!prompt) return false;
    if (!check.writeError.empty()) prompter.message(check.writeError);
    return prompter.ask(*prompt) == ButtonYes;
}

// A panel link whose results the windows tell the operator.
class OperatorLink : public PanelLink {
  public:
    OperatorLink(ConnectionSettingsStore& settings, PortCatalog& catalog, SerialPort& port,
                 Transmitter& transmitter, Sleeper& sleeper, Prompter& prompter)
        : PanelLink(settings, catalog, port, transmitter, sleeper), prompter_(prompter) {}

    Prompter& prompter() { return prompter_; }
    // Shows a notice (see tellOperator).
    void tell(const Notice& notice) { tellOperator(prompter_, transmitter(), notice); }
    // Shows the prompt of lastSendResult, if any.
    void reportSendResult() { tell(sendResultNotice(lastSendResult)); }

  private:
    Prompter& prompter_;
};

} // namespace vorelux

#pragma once
// The front end's side of the link as the editor wires it, for tests that
// check what the operator is asked and told.
#include "app/link/operator_link.h"
#include "link/transmitter.h"

#include <string>

namespace vorelux::testing {

// A transmitter whose problems go to `prompter` as messages.
struct ReportingTransmitter : Transmitter {
    ReportingTransmitter(HidBus& bus, ConnectionSettingsStore& settings, Prompter& prompter)
        : Transmitter(bus, settings) {
        problemReported = [&prompter](const std::string& text) { prompter.message(text); };
    }
};

// Stands for the settings dialog: asks prompt ConfigureTransmitter as the dialog does and
// counts its openings on the transmitter page.
struct CountingConfigurator : TransmitterConfigurator {
    explicit CountingConfigurator(Prompter& asker) : prompter(asker) {}
    bool confirmConfiguration() override {
        return prompter.ask(Prompt::ConfigureTransmitter) == ButtonYes;
    }
    void openTransmitterConfiguration() override { ++opened; }
    Prompter& prompter;
    int opened = 0;
};

} // namespace vorelux::testing

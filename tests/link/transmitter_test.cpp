// Finding, identifying and losing the transmitter, through the simulated HID bus.
#include "link/frames.h"
#include "link/simulated.h"
#include "link/transmitter.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

using testing::CountingConfigurator;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;

// Records what the windows would be told.
struct RecordingObserver : TransmitterObserver {
    std::vector<std::string> events;
    void transmitterAttached(const std::shared_ptr<HidDevice>& d) override {
        events.push_back("attached " + d->path());
    }
    void transmitterRemoved(const std::shared_ptr<HidDevice>& d) override {
        events.push_back("removed " + d->path());
    }
    void linkStatusChanged(const std::string& text) override { events.push_back(text); }
};

struct TransmitterFixture : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    RecordingObserver observer;
    CountingConfigurator settings{prompter}; // the settings dialog, once registered

    TransmitterFixture() { transmitter.addObserver(&observer); }

    // Delivers the device's pending input reports as the reader thread would.
    void deliver(SimulatedTransmitter& device) {
        std::vector<uint8_t> report;
        while (device.read(report, 0) == 1) transmitter.deviceReport(device.path(), report);
    }
};

TEST_F(TransmitterFixture, OnlyTheExactProductStringIsTaken) {
    auto keyboard = bus.plug("/dev/hidraw0", "Teclado USB");
    auto almost = bus.plug("/dev/hidraw1", "TRANSMISSOR-KQ"); // no trailing space
    transmitter.scanDevices();
    EXPECT_FALSE(transmitter.attached());
    EXPECT_EQ(cfg.transport, Transport::Serial);
    EXPECT_TRUE(observer.events.empty());
    EXPECT_EQ(bus.opens, 0);

    auto real = bus.plug("/dev/hidraw2", "TRANSMISSOR-KQ ");
    transmitter.scanDevices();
    ASSERT_TRUE(transmitter.attached());
    EXPECT_EQ(transmitter.device()->path(), "/dev/hidraw2");
    EXPECT_EQ(cfg.transport, Transport::Transmitter);
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"attached /dev/hidraw2", "[USB] Transmissor KQ"}));
    // The identity request went out as a full-length report.
    auto writes = real->writes();
    ASSERT_EQ(writes.size(), 1u);
    ASSERT_EQ(writes[0].size(), 65u);
    EXPECT_EQ(writes[0][0], 0);
    EXPECT_EQ(writes[0][1], 240);
    EXPECT_TRUE(transmitter.awaitingReply);
}

TEST_F(TransmitterFixture, EachDeviceIsExaminedOnceAndTheLastMatchWins) {
    bus.plug("/dev/hidraw3", KqProductString);
    bus.plug("/dev/hidraw4", KqProductString);
    transmitter.scanDevices();
    EXPECT_EQ(transmitter.device()->path(), "/dev/hidraw4");
    transmitter.scanDevices(); // nothing new: nothing happens
    EXPECT_EQ(bus.opens, 1);
    EXPECT_EQ(observer.events.size(), 2u);
}

TEST_F(TransmitterFixture, ATransmitterThatCannotBeOpenedIsReportedOnce) {
    bus.plug("/dev/hidraw5", KqProductString);
    bus.setFailOpen("/dev/hidraw5", true);
    transmitter.scanDevices();
    transmitter.scanDevices();
    EXPECT_FALSE(transmitter.attached());
    EXPECT_EQ(cfg.transport, Transport::Serial);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].find("Permissão negada"), std::string::npos);
}

TEST_F(TransmitterFixture, IdentityReplyIsStoredOnceAndOtherReportsAreIgnored) {
    auto device = bus.plug("/dev/hidraw0", KqProductString, 0x41);
    device->setAnswersIdentity(false);
    transmitter.scanDevices();
    connection.setPortNumber(5);

    // Not a reply: first data byte is not 0xFF.
    transmitter.deviceReport("/dev/hidraw0", {0, 0x01, 9, 9, 9, 9, 9, 9});
    // A reply, but from another device.
    transmitter.deviceReport("/dev/hidraw9", {0, 0xFF, 9, 9, 9, 9, 9, 9});
    EXPECT_EQ(cfg.transmitterIdentity, KqIdentity{});
    EXPECT_TRUE(transmitter.awaitingReply);

    transmitter.deviceReport("/dev/hidraw0", {0, 0xFF, 1, 2, 3, 4, 5, 0x41, 0x77, 0x77});
    EXPECT_EQ(cfg.transmitterIdentity, (KqIdentity{0xFF, 1, 2, 3, 4, 5, 0x41, 28}));
    EXPECT_FALSE(transmitter.awaitingReply);
    EXPECT_FALSE(transmitter.transmitterNotConfigured);
    EXPECT_EQ(cfg.portNumber, 5); // nothing else of the record changes

    // A second reply changes nothing.
    transmitter.deviceReport("/dev/hidraw0", {0, 0xFF, 8, 8, 8, 8, 8, 0x32});
    EXPECT_EQ(cfg.transmitterIdentity, (KqIdentity{0xFF, 1, 2, 3, 4, 5, 0x41, 28}));
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(TransmitterFixture, NotConfiguredTransmitterAsksOnlyOnceTheSettingsDialogExists) {
    // Before the settings dialog exists: the flag alone.
    auto device = bus.plug("/dev/hidraw0", KqProductString, KqNotConfigured);
    transmitter.scanDevices();
    deliver(*device);
    EXPECT_TRUE(transmitter.transmitterNotConfigured);
    EXPECT_EQ(cfg.transmitterIdentity[6], KqNotConfigured);
    EXPECT_TRUE(prompter.prompts.empty());

    // With the dialog: prompt ConfigureTransmitter; No keeps the flag, Yes opens the
    // configuration page and clears it once the page has closed.
    transmitter.setConfigurator(&settings);
    for (int answer : {ButtonNo, ButtonYes}) {
        SCOPED_TRACE(answer);
        bus.unplug("/dev/hidraw0");
        transmitter.scanDevices();
        EXPECT_FALSE(transmitter.transmitterNotConfigured); // cleared on removal
        device = bus.plug("/dev/hidraw0", KqProductString, KqNotConfigured);
        transmitter.scanDevices();
        prompter.prompts.clear();
        prompter.answers = {answer};
        deliver(*device);
        EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
        EXPECT_EQ(settings.opened, answer == ButtonYes ? 1 : 0);
        EXPECT_EQ(transmitter.transmitterNotConfigured, answer == ButtonNo);
    }
}

// Whoever listens to the settings hears each change the transmitter makes,
// once, and nothing of what leaves them as they were.
TEST_F(TransmitterFixture, SettingsListenersHearTheTransportAndIdentityChanges) {
    std::vector<std::pair<Transport, uint8_t>> heard;
    connection.addListener([&heard](const ConnectionSettings& now) {
        heard.emplace_back(now.transport, now.transmitterIdentity[6]);
    });
    auto device = bus.plug("/dev/hidraw0", KqProductString, 0x41);
    transmitter.scanDevices();
    deliver(*device);
    deliver(*device); // no second reply: nothing more
    transmitter.scanDevices();
    bus.unplug("/dev/hidraw0");
    transmitter.scanDevices();
    const std::vector<std::pair<Transport, uint8_t>> expected{
        {Transport::Transmitter, 0}, {Transport::Transmitter, 0x41}, {Transport::Serial, 0x41}};
    EXPECT_EQ(heard, expected);
}

TEST_F(TransmitterFixture, RemovalOfTheTransmitterReturnsToSerialAndKeepsTheIdentity) {
    auto other = bus.plug("/dev/hidraw1", "Mouse");
    auto device = bus.plug("/dev/hidraw0", KqProductString, KqNotConfigured);
    transmitter.scanDevices();
    deliver(*device);
    observer.events.clear();

    // Another device leaving changes nothing.
    bus.unplug("/dev/hidraw1");
    transmitter.scanDevices();
    transmitter.deviceUnplugged("/dev/hidraw1");
    EXPECT_TRUE(transmitter.attached());
    EXPECT_EQ(cfg.transport, Transport::Transmitter);
    EXPECT_TRUE(observer.events.empty());

    // The transmitter leaving (noticed by the rescan).
    bus.unplug("/dev/hidraw0");
    transmitter.scanDevices();
    EXPECT_FALSE(transmitter.attached());
    EXPECT_EQ(cfg.transport, Transport::Serial);
    EXPECT_FALSE(transmitter.transmitterNotConfigured);
    EXPECT_EQ(observer.events,
              (std::vector<std::string>{"removed /dev/hidraw0", "[Serial] Porta COM"}));
    EXPECT_EQ(cfg.transmitterIdentity[6], KqNotConfigured); // kept until the next reply
    EXPECT_FALSE(transmitter.writeReport({0, 1}));          // does nothing now

    // Plugged in again, it is found again.
    device = bus.plug("/dev/hidraw0", KqProductString);
    transmitter.scanDevices();
    EXPECT_TRUE(transmitter.attached());
}

TEST_F(TransmitterFixture, WriteReportFillsTheFullReportOrReportsTheWriteError) {
    auto device = bus.plug("/dev/hidraw0", KqProductString);
    device->setOutputReportLength(33);
    transmitter.scanDevices();
    ASSERT_TRUE(transmitter.writeReport({0, 239, 1, 2, 3}));
    auto last = device->writes().back();
    std::vector<uint8_t> expected(33, 0);
    expected[1] = 239;
    expected[2] = 1;
    expected[3] = 2;
    expected[4] = 3;
    EXPECT_EQ(last, expected);

    device->setFailWrites(true);
    EXPECT_FALSE(transmitter.writeReport({0, 1}));
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{"ERRO DE ESCRITA: Dispositivo desconectado (48f)"});
}

} // namespace
} // namespace vorelux

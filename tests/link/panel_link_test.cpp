// The parameter command on both transports, its results and prompts, and the
// per-panel loops of the dialogs and power buttons.
#include "link/panel_link.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/recording_prompter.h"

#include <gtest/gtest.h>

namespace vorelux {
namespace {

using testing::CountingConfigurator;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;
using W = WireEvent;

// A configurator standing for the settings dialog.

struct LinkFixture : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    WireLog wire;
    StaticPortCatalog catalog;
    FakeSerialPort port{wire};
    RecordingSleeper sleeper{&wire};
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};
    CountingConfigurator settings{prompter};

    LinkFixture() {
        catalog.add(3, "/dev/ttyS2");
        catalog.add(10, "/dev/ttyS9");
        connection.setPortNumber(3);
    }
    // Plugs a transmitter in and lets it answer its identity request.
    std::shared_ptr<SimulatedTransmitter> attachTransmitter(uint8_t configByte) {
        auto device = bus.plug("/dev/hidraw0", KqProductString, configByte);
        transmitter.scanDevices();
        std::vector<uint8_t> reply;
        EXPECT_EQ(device->read(reply, 0), 1);
        transmitter.deviceReport("/dev/hidraw0", reply);
        return device;
    }
};

TEST_F(LinkFixture, SerialFrameGoesOutByteByByteWithItsPauses) {
    EXPECT_EQ(link.sendParameter(8, 4, signedValue(-99)), SendOk);
    // The first transfer of a link cannot know how the line was left: it
    // lets a cut frame time out at the panels first.
    WireLog expected{{W::Open, 0, "/dev/ttyS2"}, {W::Pause, LineSettleMs, {}},
                     {W::Byte, 4, {}},           {W::Pause, 50, {}},
                     {W::Byte, 98, {}},          {W::Pause, 25, {}},
                     {W::Byte, 8, {}},           {W::Pause, 25, {}},
                     {W::Byte, 157, {}},         {W::Pause, 25, {}},
                     {W::Close, 0, {}}};
    EXPECT_EQ(wire, expected);
    EXPECT_TRUE(prompter.prompts.empty());
}

// A panel takes the first bytes after a cut frame as its rest unless the
// line has been idle for its frame timeout: the line is left idle before a
// transfer unless this link's last transfer on that port ended whole.
TEST_F(LinkFixture, TransferWaitsForAnIdleLineUnlessTheLastOneEndedWhole) {
    const auto settlesFirst = [&] {
        wire.clear();
        link.sendParameter(8, 4, 1);
        return wire.size() > 1 && wire[1].kind == W::Pause && wire[1].value == LineSettleMs;
    };
    EXPECT_TRUE(settlesFirst()) << "first transfer of the link";
    EXPECT_FALSE(settlesFirst()) << "after a whole frame";
    port.failAfterBytes = port.bytesWritten + 2; // cut after two bytes
    link.sendParameter(8, 4, 1);
    port.failAfterBytes = -1;
    EXPECT_TRUE(settlesFirst()) << "after a cut frame";
    EXPECT_FALSE(settlesFirst());
    connection.setPortNumber(99); // not installed: nothing written, the line stays as it was
    EXPECT_EQ(link.sendParameter(8, 4, 1), SendPortNotListed);
    connection.setPortNumber(3);
    EXPECT_FALSE(settlesFirst());
    connection.setPortNumber(10);
    EXPECT_TRUE(settlesFirst()) << "another port's line";
}

TEST_F(LinkFixture, PortChosenAsCom10OpensCom10) {
    connection.setPortNumber(10);
    EXPECT_EQ(link.sendParameter(255, 0, 0), SendOk);
    ASSERT_FALSE(wire.empty());
    EXPECT_EQ(wire.front(), (W{W::Open, 0, "/dev/ttyS9"}));
}

TEST_F(LinkFixture, SerialFailuresGiveTheirResultAndPrompt) {
    struct Case {
        const char* what;
        int com;
        bool failOpen;
        int failAfter;
        uint8_t result;
        Prompt prompt;
    };
    for (Case c : {Case{.what = "port not installed",
                  .com = 7,
                  .failOpen = false,
                  .failAfter = -1,
                  .result = SendPortNotListed,
                  .prompt = Prompt::PortNotSelected},
                   Case{.what = "port busy",
                   .com = 3,
                   .failOpen = true,
                   .failAfter = -1,
                   .result = SendPortFailed,
                   .prompt = Prompt::PortBusy},
                   Case{.what = "write fails midway",
                   .com = 3,
                   .failOpen = false,
                   .failAfter = 2,
                   .result = SendPortFailed,
                   .prompt = Prompt::PortBusy}}) {
        SCOPED_TRACE(c.what);
        wire.clear();
        prompter.prompts.clear();
        port.opens = port.bytesWritten = 0;
        port.failOpen = c.failOpen;
        port.failAfterBytes = c.failAfter;
        connection.setPortNumber(c.com);
        link.lastSendResult = link.sendParameter(11, 1, 100);
        EXPECT_EQ(link.lastSendResult, c.result);
        EXPECT_FALSE(port.isOpen); // closed in every case
        if (c.result == SendPortNotListed) {
            EXPECT_EQ(port.opens, 0);
        }
        link.reportSendResult();
        EXPECT_EQ(prompter.prompts, std::vector<Prompt>{c.prompt});
    }
    // A write failure stops the frame at once: two bytes went out.
    EXPECT_EQ(port.bytesWritten, 2);
    EXPECT_EQ(sleeper.pauses.back(), 25);
}

TEST_F(LinkFixture, TransmitterBeforeItsIdentityReplyGivesResult4AndWritesNothing) {
    auto device = bus.plug("/dev/hidraw0", KqProductString);
    device->setAnswersIdentity(false);
    transmitter.scanDevices();
    ASSERT_EQ(cfg.transport, Transport::Transmitter);
    size_t writesBefore = device->writeCount(); // the identity request
    link.lastSendResult = link.sendParameter(255, 0, 0);
    EXPECT_EQ(link.lastSendResult, SendKqNoIdentity);
    EXPECT_EQ(device->writeCount(), writesBefore);
    EXPECT_TRUE(sleeper.pauses.empty());
    link.reportSendResult();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
}

TEST_F(LinkFixture, TransmitterSendsTheReportThreeTimes160MsApart) {
    for (uint8_t configByte : {uint8_t{0x41}, KqNotConfigured}) {
        SCOPED_TRACE(int(configByte));
        bus.unplug("/dev/hidraw0");
        transmitter.scanDevices();
        sleeper.pauses.clear();
        auto device = attachTransmitter(configByte);
        size_t before = device->writeCount();
        EXPECT_EQ(link.sendParameter(9, 12, signedValue(-99)), SendOk);
        auto writes = device->writes();
        ASSERT_EQ(writes.size(), before + 3);
        for (size_t i = before; i < writes.size(); ++i) {
            ASSERT_EQ(writes[i].size(), 65u); // the device's full output report
            std::vector<uint8_t> head(writes[i].begin(), writes[i].begin() + 10);
            EXPECT_EQ(head, (std::vector<uint8_t>{0, 1, 48, 1, 0x9A, configByte, 12, 98, 9, 157}));
            EXPECT_TRUE(std::all_of(writes[i].begin() + 10, writes[i].end(),
                                    [](uint8_t b) { return b == 0; }));
        }
        EXPECT_EQ(sleeper.pauses, (std::vector<int>{160, 160, 160}));
        EXPECT_TRUE(prompter.messages.empty());
    }
}

TEST_F(LinkFixture, TransmitterWriteFailureStopsAtOnceWithResult3AndTheWriteError) {
    auto device = attachTransmitter(0x41);
    device->setFailWrites(true);
    link.lastSendResult = link.sendParameter(255, 0, 0);
    EXPECT_EQ(link.lastSendResult, SendKqWriteFailed);
    EXPECT_TRUE(sleeper.pauses.empty());
    EXPECT_EQ(prompter.messages,
              std::vector<std::string>{"ERRO DE ESCRITA: Dispositivo desconectado (48f)"});
    link.reportSendResult();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
}

TEST_F(LinkFixture, TransmitterRemovedSendsGoToTheSerialPort) {
    attachTransmitter(0x41);
    bus.unplug("/dev/hidraw0");
    transmitter.scanDevices();
    EXPECT_EQ(cfg.transport, Transport::Serial);
    EXPECT_FALSE(transmitter.writeReport({0, 1, 2}));
    EXPECT_EQ(link.sendParameter(255, 0, 0), SendOk);
    EXPECT_EQ(port.opens, 1);
}

TEST_F(LinkFixture, EachSendResultShowsItsPrompt) {
    transmitter.setConfigurator(&settings);
    struct Case {
        uint8_t result;
        std::vector<Prompt> prompts;
        int answer;
        int opened;
    };
    for (Case c :
         {Case{.result = 0, .prompts = {}, .answer = ButtonYes, .opened = 0},
          Case{.result = 1, .prompts = {Prompt::PortNotSelected}, .answer = ButtonOk, .opened = 0},
          Case{.result = 2, .prompts = {Prompt::PortBusy}, .answer = ButtonOk, .opened = 0},
          Case{.result = 3,
          .prompts = {Prompt::ConfigureTransmitter},
          .answer = ButtonNo,
          .opened = 0},
          Case{.result = 4,
          .prompts = {Prompt::ConfigureTransmitter},
          .answer = ButtonYes,
          .opened = 1}}) {
        SCOPED_TRACE(int(c.result));
        prompter.prompts.clear();
        prompter.answers = {c.answer};
        settings.opened = 0;
        link.lastSendResult = c.result;
        link.reportSendResult();
        EXPECT_EQ(prompter.prompts, c.prompts);
        EXPECT_EQ(settings.opened, c.opened);
    }
}

// A progress window that records its positions and cancels at a given one.
struct ScriptedProgress : ProgressWindow {
    int maximum = -1;
    std::vector<int> positions;
    int cancelAt = -1;
    bool finished = false;
    void start(int max) override { maximum = max; }
    bool step(int position) override {
        positions.push_back(position);
        return position != cancelAt;
    }
    void finish() override { finished = true; }
};

struct PanelLoop : LinkFixture {
    std::vector<int> sentTo;
    std::map<int, uint8_t> failures; // panel -> result
    PanelCommand command = [this](PanelId panel) -> uint8_t {
        sentTo.push_back(panel);
        return failures.count(panel) ? failures[panel] : uint8_t{SendOk};
    };
    TargetChecks checks{};
};

TEST_F(PanelLoop, ItemZeroSendsOnceToEveryPanelWithoutProgress) {
    checks[0] = checks[7] = true;
    ScriptedProgress progress;
    EXPECT_EQ(link.sendToCheckedPanels(checks, command, &progress), SendOk);
    EXPECT_EQ(sentTo, std::vector<int>{0});
    EXPECT_TRUE(progress.positions.empty());
}

TEST_F(PanelLoop, CheckedPanelsInTurnUntilTheFirstFailure) {
    checks[2] = checks[5] = checks[9] = checks[200] = true;
    failures[9] = SendPortFailed;
    ScriptedProgress progress;
    link.lastSendResult = SendKqNoIdentity; // a stale result is reset first
    EXPECT_EQ(link.sendToCheckedPanels(checks, command, &progress), SendPortFailed);
    EXPECT_EQ(sentTo, (std::vector<int>{2, 5, 9}));
    EXPECT_EQ(link.lastSendResult, SendPortFailed);
    EXPECT_EQ(progress.maximum, 255);
    ASSERT_EQ(progress.positions.size(), 10u); // 1..9, then 255
    EXPECT_EQ(progress.positions.back(), 255);
    EXPECT_EQ(sleeper.pauses, std::vector<int>{20});
    EXPECT_TRUE(progress.finished);
    link.reportSendResult();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PortBusy}); // shown once
}

TEST_F(PanelLoop, CancelStopsBeforeTheNextPanelAndKeepsTheResultSoFar) {
    checks[2] = checks[5] = checks[9] = true;
    failures[2] = SendOk;
    ScriptedProgress progress;
    progress.cancelAt = 4;
    EXPECT_EQ(link.sendToCheckedPanels(checks, command, &progress), SendOk);
    EXPECT_EQ(sentTo, std::vector<int>{2});
    EXPECT_TRUE(progress.finished);
}

TEST_F(PanelLoop, ContinuingAfterFailureTriesEveryPanelAndKeepsTheFirstFailure) {
    checks[2] = checks[5] = checks[9] = true;
    failures[5] = SendPortNotListed;
    EXPECT_EQ(link.sendToCheckedPanels(checks, command, nullptr, AfterFailure::Continue),
              SendPortNotListed);
    EXPECT_EQ(sentTo, (std::vector<int>{2, 5, 9}));
    EXPECT_TRUE(sleeper.pauses.empty()); // no progress window, no closing pause
}

TEST_F(PanelLoop, StoredListSendsInListOrderWithProgressAtEachIndex) {
    ScriptedProgress progress;
    EXPECT_EQ(link.sendToPanelList({3, 8, 20}, command, &progress), SendOk);
    EXPECT_EQ(sentTo, (std::vector<int>{3, 8, 20}));
    EXPECT_EQ(progress.maximum, 2);
    EXPECT_EQ(progress.positions, (std::vector<int>{0, 1, 2, 255}));

    sentTo.clear();
    EXPECT_EQ(link.sendToPanelList({0, 7}, command, nullptr), SendOk);
    EXPECT_EQ(sentTo, std::vector<int>{0});

    sentTo.clear();
    link.lastSendResult = SendPortFailed;
    EXPECT_EQ(link.sendToPanelList({}, command, nullptr), SendOk);
    EXPECT_TRUE(sentTo.empty());

    failures[8] = SendKqWriteFailed;
    EXPECT_EQ(link.sendToPanelList({3, 8, 20}, command, nullptr), SendKqWriteFailed);
    EXPECT_EQ(sentTo, (std::vector<int>{3, 8}));
}

TEST_F(PanelLoop, ParameterCommandGoesThroughSendParameter) {
    checks[4] = checks[6] = true;
    link.sendToCheckedPanels(checks, link.parameter(ParSwitchOn, 0), nullptr);
    std::vector<int> panels;
    for (size_t i = 0; i + 2 < wire.size(); ++i)
        if (wire[i].kind == W::Open)
            panels.push_back(wire[i + (wire[i + 1].kind == W::Byte ? 1 : 2)].value);
    EXPECT_EQ(panels, (std::vector<int>{4, 6}));
}

} // namespace
} // namespace vorelux

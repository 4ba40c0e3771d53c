// The settings sequences as a panel receives them: every frame is written
// through the real QSerialPort to a pseudo-terminal and decoded on the other
// side. The transmitter pairing runs on the simulated transmitter.
#include "link/panel_settings.h"
#include "link/settings_commands.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/pty_panel.h"
#include "support/recording_prompter.h"
#include "transport/qt_serial.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace vorelux {
namespace {

using testing::CountingConfigurator;
using testing::decodeFrames;
using testing::Frame;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;
using Frames = std::vector<Frame>;

constexpr int PtyCom = 150;

struct PtyPanel : ::testing::Test {
    testing::Pty pty;
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    QtPortCatalog catalog;
    QtSerialPort port;
    testing::PanelWire wire{pty};
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, wire, prompter};
    TargetChecks every{};

    void SetUp() override {
        ASSERT_FALSE(pty.slavePath.empty()) << "no pseudo-terminal available";
        catalog.registerPort(PtyCom, pty.slavePath, "painel virtual");
        connection.setPortNumber(PtyCom);
        every[0] = true;
    }
    Frames received() {
        auto rest = pty.drain(20);
        wire.bytes.insert(wire.bytes.end(), rest.begin(), rest.end());
        bool ok = false;
        Frames frames = decodeFrames(wire.bytes, ok);
        EXPECT_TRUE(ok) << "bytes that are not whole parameter frames";
        wire.bytes.clear();
        return frames;
    }
    uint8_t toEveryPanel(const ParamSequence& sequence) {
        return link.sendToCheckedPanels(every, sequenceCommand(link, sequence), nullptr);
    }
};

TEST_F(PtyPanel, SingleSettingsReachThePanelWithTheirValues) {
    struct Case {
        const char* what;
        std::optional<ParamSequence> sequence;
        Frame expected;
    };
    const Case cases[] = {
        {.what = "slowest speed", .sequence = speedSequence(0), .expected = {0, 10, 30}},
        {.what = "fastest speed", .sequence = speedSequence(195), .expected = {0, 10, 2}},
        {.what = "speed 100", .sequence = speedSequence(100), .expected = {0, 10, 9}},
        {.what = "speed 101", .sequence = speedSequence(101), .expected = {0, 10, 8}},
        {.what = "internal temperature -20",
         .sequence = temperatureSequence(TemperatureSensor::Indoor, -20),
         .expected = {0, 8, 236}},
        {.what = "external temperature 99",
         .sequence = temperatureSequence(TemperatureSensor::Outdoor, 99),
         .expected = {0, 9, 99}},
        {.what = "page by weekday on",
         .sequence = weekdayScheduleSequence(true),
         .expected = {0, 7, 2}},
        {.what = "page by weekday off",
         .sequence = weekdayScheduleSequence(false),
         .expected = {0, 7, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.sequence);
        EXPECT_EQ(toEveryPanel(*c.sequence), SendOk);
        EXPECT_EQ(received(), Frames{c.expected});
    }
}

TEST_F(PtyPanel, MultiParameterSettingsKeepTheirOrder) {
    struct Case {
        const char* what;
        ParamSequence sequence;
        Frames expected;
    };
    const Case cases[] = {
        {.what = "clock of Sunday 5 March 2023 14:07:09",
         .sequence = *clockSequence({2023, 3, 5, 14, 7, 9}),
         .expected = {{0, 64, 9},
                      {0, 65, 7},
                      {0, 66, 14},
                      {0, 69, 0},
                      {0, 67, 5},
                      {0, 68, 3},
                      {0, 70, 23}}},
        {.what = "on/off with \"  Ativar:\" unchecked",
         .sequence = onOffSequence(false, 7, 30, 22, 15),
         .expected = {{0, 48, 0}, {0, 49, 0}, {0, 50, 0}, {0, 51, 255}}},
        {.what = "on/off from 07:30 to 22:15",
         .sequence = onOffSequence(true, 7, 30, 22, 15),
         .expected = {{0, 48, 7}, {0, 49, 30}, {0, 50, 22}, {0, 51, 15}}},
        {.what = "count-up from 29 February 2024",
         .sequence = countUpSequence(2024, 2, 29),
         .expected = {{0, 45, 29}, {0, 46, 2}, {0, 47, 24}}},
        {.what = "count-down to 1 January 2100",
         .sequence = countDownSequence(2100, 1, 1),
         .expected = {{0, 42, 1}, {0, 43, 1}, {0, 44, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(toEveryPanel(c.sequence), SendOk);
        EXPECT_EQ(received(), c.expected);
    }
}

// The page-by-hour list with item 2 (page 3) checked at 08:30.
struct PageByHourSend : PtyPanel {
    PageByHourList list{connection};
    void SetUp() override {
        PtyPanel::SetUp();
        list.select(2);
        list.setTime(8, 30);
        list.activateSelected();
    }
};

TEST_F(PageByHourSend, EveryPanelGetsEachPairFollowedByTheMode) {
    ASSERT_TRUE(list.isEnabled());
    EXPECT_EQ(sendPageByHour(link, every, list.pairs(), list.isEnabled(), nullptr), SendOk);
    Frames expected;
    for (int i = 0; i < 8; ++i) {
        int hour = i == 2 ? 8 : 255, minute = i == 2 ? 30 : 255;
        expected.push_back({0, 16 + 2 * i, hour});
        expected.push_back({0, 17 + 2 * i, minute});
        expected.push_back({0, 7, 1});
    }
    EXPECT_EQ(received(), expected);
}

TEST_F(PageByHourSend, EachCheckedPanelGetsItsPairsThenTheModeOnce) {
    TargetChecks panels{};
    panels[3] = panels[200] = true;
    EXPECT_EQ(sendPageByHour(link, panels, list.pairs(), true, nullptr), SendOk);
    Frames expected;
    for (int panel : {3, 200}) {
        for (int i = 0; i < 8; ++i) {
            expected.push_back({panel, 16 + 2 * i, i == 2 ? 8 : 255});
            expected.push_back({panel, 17 + 2 * i, i == 2 ? 30 : 255});
        }
        expected.push_back({panel, 7, 1});
    }
    EXPECT_EQ(received(), expected);
}

TEST_F(PageByHourSend, ScheduleSwitchedOffSendsOnlyTheMode) {
    list.setEnabled(false);
    EXPECT_FALSE(list.checked(2));
    // To every panel the mode goes out once per entry, as the panels expect.
    EXPECT_EQ(sendPageByHour(link, every, list.pairs(), list.isEnabled(), nullptr), SendOk);
    EXPECT_EQ(received(), Frames(8, Frame{0, 7, 0}));
    TargetChecks panels{};
    panels[5] = panels[6] = true;
    EXPECT_EQ(sendPageByHour(link, panels, list.pairs(), list.isEnabled(), nullptr), SendOk);
    EXPECT_EQ(received(), (Frames{{5, 7, 0}, {6, 7, 0}}));
}

TEST_F(PageByHourSend, MultiPageItemChangesNothingThatIsSent) {
    auto before = list.pairs();
    list.select(8);
    list.setTime(17, 45);
    list.activateSelected();
    EXPECT_EQ(list.caption(8), " Multi-Página  9     -     17:45");
    EXPECT_EQ(list.pairs(), before);
    EXPECT_EQ(cfg.pagesByHour[8].active, 1);
}

TEST(PageByHourListRules, CaptionsLabelAtivarAndAtivadoFollowTheChecks) {
    ConnectionSettingsStore connection;
    const auto& entries = connection.get().pagesByHour;
    PageByHourList list(connection);
    EXPECT_EQ(list.caption(0), " Página  1");
    EXPECT_EQ(list.caption(11), " Multi-Página  12");
    EXPECT_EQ(list.timeLabel(), "Horário da página 1");
    EXPECT_TRUE(list.activateVisible());
    EXPECT_FALSE(list.isEnabled());

    list.select(4);
    list.setTime(6, 5);
    EXPECT_EQ(list.timeLabel(), "Horário da página 5");
    EXPECT_EQ(list.caption(4), " Página  5"); // not checked: no time shown
    list.activateSelected();
    EXPECT_EQ(list.caption(4), " Página  5     -     06:05");
    EXPECT_FALSE(list.activateVisible());
    EXPECT_TRUE(list.isEnabled());
    EXPECT_EQ(entries[4].active, 1);

    // Unchecking " Ativado" clears every item, the times stay; checking it
    // again brings back the items whose entries are active... which none is
    // any more, so item 0 is checked.
    list.setEnabled(false);
    EXPECT_FALSE(list.anyChecked());
    EXPECT_EQ(entries[4].active, 0);
    EXPECT_EQ(entries[4].hour, 6);
    list.setEnabled(true);
    EXPECT_TRUE(list.checked(0));
    EXPECT_FALSE(list.checked(4));

    // Selecting another item shows its time in the field.
    list.select(4);
    EXPECT_EQ(list.fieldHour(), 6);
    EXPECT_EQ(list.fieldMinute(), 5);
    EXPECT_TRUE(list.activateVisible());
}

TEST_F(PtyPanel, CountDownTriesEveryPanelAndCountUpStopsAtTheFirstFailure) {
    // A port that is listed but cannot be opened fails every panel.
    WireLog log;
    FakeSerialPort broken(log);
    broken.failOpen = true;
    StaticPortCatalog listed;
    listed.add(PtyCom, "/dev/broken");
    OperatorLink failing(connection, listed, broken, transmitter, wire, prompter);
    TargetChecks panels{};
    panels[1] = panels[2] = panels[3] = true;

    EXPECT_EQ(failing.sendToCheckedPanels(panels,
                                          sequenceCommand(failing, countDownSequence(2030, 12, 31)),
                                          nullptr, AfterFailure::Continue),
              SendPortFailed);
    EXPECT_EQ(broken.opens, 3);
    broken.opens = 0;
    EXPECT_EQ(failing.sendToCheckedPanels(
                  panels, sequenceCommand(failing, countUpSequence(2020, 1, 1)), nullptr),
              SendPortFailed);
    EXPECT_EQ(broken.opens, 1);
}

TEST_F(PtyPanel, PanelNumberIsCheckedBeforeAnythingIsSent) {
    struct Case {
        const char* current;
        const char* requested;
        PanelIdOutcome outcome;
        std::optional<Prompt> prompt;
    };
    const Case cases[] = {
        {.current = "5",
         .requested = "0",
         .outcome = PanelIdOutcome::BadNew,
         .prompt = Prompt::InvalidPanelId},
        {.current = "5",
         .requested = "256",
         .outcome = PanelIdOutcome::BadNew,
         .prompt = Prompt::InvalidPanelId},
        {.current = "0",
         .requested = "7",
         .outcome = PanelIdOutcome::BadCurrent,
         .prompt = Prompt::InvalidPanelId},
        {.current = "0",
         .requested = "0",
         .outcome = PanelIdOutcome::BadNew,
         .prompt = Prompt::InvalidPanelId},
        {.current = "",
         .requested = "7",
         .outcome = PanelIdOutcome::NotNumbers,
         .prompt = std::nullopt},
        {.current = "5",
         .requested = "12a",
         .outcome = PanelIdOutcome::NotNumbers,
         .prompt = std::nullopt},
        {.current = " 5 ",
         .requested = "255",
         .outcome = PanelIdOutcome::Valid,
         .prompt = Prompt::ConfirmPanelIdChange},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.current) + " -> " + c.requested);
        const PanelIdChange change = checkNewPanelId(c.current, c.requested);
        EXPECT_EQ(change.outcome, c.outcome);
        EXPECT_EQ(panelIdPrompt(change.outcome), c.prompt);
        if (c.outcome == PanelIdOutcome::Valid) {
            EXPECT_EQ(change.current, 5);
            EXPECT_EQ(change.next, 255);
        }
    }
    // The check neither asks nor sends.
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_TRUE(received().empty());

    EXPECT_EQ(sendNewPanelId(link, 5, 255), SendOk);
    EXPECT_EQ(received(), (Frames{{5, 13, 255}}));
    EXPECT_TRUE(prompter.prompts.empty());
    connection.setPortNumber(PtyCom + 1); // not installed
    EXPECT_EQ(sendNewPanelId(link, 5, 6), SendPortNotListed);
    EXPECT_EQ(link.lastSendResult, SendPortNotListed);
    EXPECT_TRUE(prompter.prompts.empty()); // the caller reports it
}

TEST_F(PtyPanel, ASequenceStopsBeforeTheParameterItIsToldToStopAt) {
    const ParamSequence clock = *clockSequence({2024, 2, 29, 23, 59, 58});
    struct Case {
        const char* what;
        int allowed; // parameters that may still go out
        std::function<uint8_t(const KeepSending&)> send;
        size_t frames;
    };
    const Case cases[] = {
        {.what = "clock",
         .allowed = 3,
         .send = [&](const KeepSending& k) { return sendSequence(link, 4, clock, k); },
         .frames = 3},
        {.what = "clock to two panels",
         .allowed = 9,
         .send =
             [&](const KeepSending& k) {
                 TargetChecks two{};
                 two[4] = two[9] = true;
                 return link.sendToCheckedPanels(two, sequenceCommand(link, clock, k), nullptr);
             },
         .frames = 9},
        {.what = "page by hour to every panel",
         .allowed = 4,
         .send =
             [&](const KeepSending& k) {
                 return sendPageByHour(link, every, {}, true, nullptr, k);
             },
         .frames = 3},
        {.what = "page by hour to one panel",
         .allowed = 5,
         .send =
             [&](const KeepSending& k) {
                 TargetChecks one{};
                 one[3] = true;
                 return sendPageByHour(link, one, {}, true, nullptr, k);
             },
         .frames = 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int asked = 0;
        EXPECT_EQ(c.send([&] { return ++asked <= c.allowed; }), SendOk);
        Frames frames = received();
        // Whole frames (received() checks), none after the stop.
        EXPECT_EQ(frames.size(), c.frames);
    }
}

TEST(PanelIdKeys, OnlyMainKeyboardDigitsTabAndEnter) {
    for (int key = 0; key < 256; ++key) {
        bool expected = key == 9 || key == 13 || (key >= '0' && key <= '9');
        EXPECT_EQ(panelIdKeyAccepted(key), expected) << key;
    }
}

// ---- transmitter pairing on the simulated transmitter ----

struct FixedRandom : RandomRange {
    std::vector<int> values;
    size_t next_ = 0;
    std::vector<std::pair<int, int>> ranges;
    int between(int low, int high) override {
        ranges.push_back({low, high});
        return values.at(next_++);
    }
};

struct Pairing : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    WireLog log;
    StaticPortCatalog catalog;
    FakeSerialPort port{log};
    RecordingSleeper sleeper;
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};
    FixedRandom random;
    TransmitterPairing pairing{link, random};
    std::shared_ptr<SimulatedTransmitter> device;
    using Clock = std::chrono::steady_clock;
    Clock::time_point t0 = Clock::now();

    void attach(uint8_t configByte) {
        device = bus.plug("/dev/hidraw3", KqProductString, configByte);
        transmitter.scanDevices();
        // The identity reply, as the reader thread hands it over.
        std::vector<uint8_t> reply;
        ASSERT_GT(device->read(reply, 100), 0);
        transmitter.deviceReport(device->path(), reply);
        ASSERT_EQ(cfg.transmitterIdentity[6], configByte);
    }
    // The reports written after the identity request, without padding.
    std::vector<std::vector<uint8_t>> reports() {
        std::vector<std::vector<uint8_t>> out;
        auto all = device->writes();
        for (size_t i = 1; i < all.size(); ++i)
            out.push_back({all[i].begin(), all[i].begin() + 10});
        return out;
    }
    // Runs the poll timer: a tick every second until it stops.
    int runPoll() {
        int ticks = 0;
        for (int s = 1; s <= 10; ++s) {
            ++ticks;
            bool more = pairing.tick(t0 + std::chrono::seconds(s));
            link.reportSendResult();
            if (!more) break;
        }
        return ticks;
    }
};

TEST_F(Pairing, AlreadyConfiguredTransmitterGetsNoReportAndOnePoll) {
    attach(0x41);
    EXPECT_FALSE(pairing.configure(t0));
    EXPECT_EQ(runPoll(), 1);
    auto sent = reports();
    ASSERT_EQ(sent.size(), 3u); // one poll, three times over the radio
    std::vector<uint8_t> poll{0, 1, 48, 1, cfg.transmitterIdentity[5], 0x41, 255, 98, 253, 0};
    for (auto& report : sent) EXPECT_EQ(report, poll);
    EXPECT_TRUE(random.ranges.empty());
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST_F(Pairing, UnconfiguredTransmitterGetsANewByteThenFivePolls) {
    attach(KqNotConfigured);
    random.values = {KqNotConfigured, 77}; // "2" is drawn again
    EXPECT_TRUE(pairing.configure(t0));
    EXPECT_EQ(random.ranges, (std::vector<std::pair<int, int>>{{1, 254}, {1, 254}}));
    EXPECT_EQ(cfg.transmitterIdentity[6], 77);
    auto sent = reports();
    ASSERT_EQ(sent.size(), 1u);
    const auto& id = cfg.transmitterIdentity;
    EXPECT_EQ(sent[0],
              (std::vector<uint8_t>{0, 239, id[0], id[1], id[2], id[3], id[4], id[5], 77, 28}));
    EXPECT_EQ(device->configByte(), 77);

    EXPECT_EQ(runPoll(), 5);
    sent = reports();
    ASSERT_EQ(sent.size(), 1u + 5 * 3);
    EXPECT_EQ(sent.back(), (std::vector<uint8_t>{0, 1, 48, 1, id[5], 77, 255, 98, 253, 0}));
}

TEST_F(Pairing, ConfigurationThatCannotBeWrittenLeavesTheTransmitterUnconfigured) {
    attach(KqNotConfigured);
    device->setFailWrites(true);
    random.values = {90};
    EXPECT_FALSE(pairing.configure(t0));
    EXPECT_EQ(cfg.transmitterIdentity[6], KqNotConfigured);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_NE(prompter.messages[0].find("ERRO DE ESCRITA"), std::string::npos);
    // The poll fails too: prompt ConfigureTransmitter once, and the timer stops.
    prompter.answers = {ButtonNo};
    EXPECT_EQ(runPoll(), 1);
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::ConfigureTransmitter});
}

// ---- the daylight-saving check at start-up ----

struct DaylightSaving : ::testing::Test {
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    RecordingPrompter prompter;
    QTemporaryDir dir;
    std::string path = (dir.path() + "/conn.cfg").toStdString();
    bool written() const { return std::ifstream(path).good(); }
    std::vector<uint8_t> file() {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(DaylightSaving, WarningOffShowsAndWritesNothing) {
    for (uint8_t flags : {uint8_t{0x00}, uint8_t{0x01}, uint8_t{0x21}})
        for (bool dst : {false, true}) {
            connection.setDaylightSaving(flags);
            auto check = checkDaylightSaving(connection, dst, path);
            EXPECT_EQ(check.change, DaylightSavingChange::None);
            EXPECT_FALSE(askDaylightSavingAdjust(prompter, check));
            EXPECT_EQ(cfg.daylightSaving, flags);
        }
    EXPECT_TRUE(prompter.prompts.empty());
    EXPECT_FALSE(written());
}

TEST_F(DaylightSaving, ChangeOfStateIsRecordedThenAnnounced) {
    struct Case {
        uint8_t flags;
        bool dst;
        DaylightSavingChange change;
        uint8_t after;
        std::optional<Prompt> prompt;
    };
    const Case cases[] = {
        {.flags = 0x10,
         .dst = true,
         .change = DaylightSavingChange::Began,
         .after = 0x11,
         .prompt = Prompt::DaylightSavingStarted},
        {.flags = 0x1F,
         .dst = false,
         .change = DaylightSavingChange::Ended,
         .after = 0x10,
         .prompt = Prompt::DaylightSavingEnded},
        {.flags = 0x11,
         .dst = true,
         .change = DaylightSavingChange::None,
         .after = 0x11,
         .prompt = std::nullopt},
        {.flags = 0x10,
         .dst = false,
         .change = DaylightSavingChange::None,
         .after = 0x10,
         .prompt = std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.flags));
        std::remove(path.c_str());
        prompter.prompts.clear();
        prompter.answers = {ButtonYes};
        connection.setDaylightSaving(c.flags);
        int told = 0;
        const int listener = connection.addListener([&told](const ConnectionSettings&) { ++told; });
        auto check = checkDaylightSaving(connection, c.dst, path);
        connection.removeListener(listener);
        EXPECT_EQ(told, c.change == DaylightSavingChange::None ? 0 : 1); // the owner announces it
        EXPECT_EQ(check.change, c.change);
        EXPECT_EQ(cfg.daylightSaving, c.after);
        EXPECT_EQ(check.writeError, "");
        const bool adjust = askDaylightSavingAdjust(prompter, check);
        if (c.prompt) {
            EXPECT_EQ(prompter.prompts, std::vector<Prompt>{*c.prompt});
            EXPECT_TRUE(adjust);
            ASSERT_EQ(file().size(), 16u);
            EXPECT_EQ(file()[3], c.after);
        } else {
            EXPECT_TRUE(prompter.prompts.empty());
            EXPECT_FALSE(written());
        }
    }
    EXPECT_EQ(daylightSavingFlags(true, true), 0x11);
    EXPECT_EQ(daylightSavingFlags(false, true), 0x01);
    EXPECT_EQ(daylightSavingFlags(true, false), 0x10);
}

} // namespace
} // namespace vorelux

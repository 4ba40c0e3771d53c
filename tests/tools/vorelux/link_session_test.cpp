// The sending commands through the USB transmitter: the tool's link session
// on a simulated transmitter (finding it, its identity, the reports, the dry
// run and the failures).
#include "link/settings_commands.h"
#include "link/simulated.h"
#include "link/upload.h"
#include "link_session.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vorelux::cli {
namespace {

using Report = std::vector<uint8_t>;

Report head(const Report& r, size_t n) {
    return Report(r.begin(), r.begin() + long(std::min(n, r.size())));
}

struct UsbSession : ::testing::Test {
    SimulatedHidBus bus;
    RecordingSleeper sleeper;
    std::ostringstream out, err;
    LinkOptions options;
    std::unique_ptr<LinkSession> session;

    UsbSession() {
        options.usb = true;
        options.to = "9,4";
    }
    int open() {
        LinkDevices devices;
        devices.hidBus = &bus;
        devices.sleeper = &sleeper;
        devices.identityWaitMs = 200;
        session = std::make_unique<LinkSession>("vorelux test", options, out, err, devices);
        return session->open();
    }
    std::shared_ptr<SimulatedTransmitter> plug(uint8_t configByte = 0x41) {
        return bus.plug("/dev/hidraw3", KqProductString, configByte);
    }
};

TEST_F(UsbSession, IdentifiesTheTransmitterAndSendsEachCommandThreeTimes) {
    auto transmitter = plug();
    ASSERT_EQ(open(), ExitOk) << err.str();
    EXPECT_EQ(session->cfg().transport, Transport::Transmitter);
    EXPECT_EQ(session->sendToTargets(session->link().parameter(ParSwitchOn, 0)), ExitOk);
    auto writes = transmitter->writes();
    ASSERT_EQ(writes.size(), 7u);
    EXPECT_EQ(head(writes[0], 2), (Report{0, KqCmdIdentity}));
    for (size_t i = 1; i < 7; ++i) {
        PanelId panel = i <= 3 ? 4 : 9;
        auto expected = kqParamReport(session->cfg().transmitterIdentity, ParSwitchOn, panel, 0);
        EXPECT_EQ(head(writes[i], 10), Report(expected.begin(), expected.end())) << i;
        EXPECT_EQ(writes[i][5], 0x41) << "the configuration byte";
        EXPECT_EQ(writes[i].size(), 65u) << "a whole output report";
    }
    EXPECT_EQ(sleeper.pauses, std::vector<int>(6, 160));
    EXPECT_EQ(err.str(), "");
}

TEST_F(UsbSession, AnUnconfiguredTransmitterStillSendsWithAWarning) {
    auto transmitter = plug(KqNotConfigured);
    ASSERT_EQ(open(), ExitOk);
    EXPECT_NE(err.str().find("ainda não foi configurado"), std::string::npos) << err.str();
    EXPECT_EQ(session->sendToTargets(session->link().parameter(ParSwitchOff, 0)), ExitOk);
    EXPECT_EQ(transmitter->writes().back()[5], KqNotConfigured);
}

TEST_F(UsbSession, FailuresBeforeAnythingIsSent) {
    // No device, a device that is not the transmitter, a transmitter that does
    // not answer, and one that cannot be opened.
    {
        EXPECT_EQ(open(), ExitNoTransmitter);
        EXPECT_NE(err.str().find("Transmissor KQ não encontrado"), std::string::npos);
    }
    {
        err.str("");
        bus.plug("/dev/hidraw1", "TRANSMISSOR-KQ");
        EXPECT_EQ(open(), ExitNoTransmitter);
    }
    {
        err.str("");
        auto transmitter = plug();
        transmitter->setAnswersIdentity(false);
        EXPECT_EQ(open(), ExitNotIdentified);
        EXPECT_NE(err.str().find("Transmissor KQ não identificado"), std::string::npos)
            << err.str();
        EXPECT_EQ(transmitter->writeCount(), 1u) << "only the identity request";
        bus.unplug("/dev/hidraw3");
    }
    {
        err.str("");
        plug();
        bus.setFailOpen("/dev/hidraw3", true);
        EXPECT_EQ(open(), ExitNoTransmitter);
        EXPECT_NE(err.str().find("Não foi possível usar o Transmissor KQ"), std::string::npos)
            << err.str();
    }
}

TEST_F(UsbSession, AFailedWriteStopsWithItsReason) {
    auto transmitter = plug();
    ASSERT_EQ(open(), ExitOk);
    transmitter->setFailWrites(true);
    EXPECT_EQ(session->sendToTargets(session->link().parameter(ParSwitchOn, 0)),
              ExitTransmitterFailed);
    EXPECT_NE(err.str().find("ERRO DE ESCRITA: Dispositivo desconectado (48f)"), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("não foi possível escrever no Transmissor KQ"), std::string::npos);
}

TEST_F(UsbSession, DryRunPrintsTheReportsAndSendsOnlyTheIdentityRequest) {
    auto transmitter = plug();
    options.dryRun = true;
    options.to = "7";
    ASSERT_EQ(open(), ExitOk) << err.str();
    EXPECT_EQ(session->sendToTargets(session->link().parameter(ParBrightness, 80)), ExitOk);
    EXPECT_EQ(transmitter->writeCount(), 1u);
    const std::string report = "usb: 00 01 30 01 9A 41 07 62 0B 50\npausa: 160 ms\n";
    EXPECT_EQ(out.str(), report + report + report);
}

TEST_F(UsbSession, PagesGoOutAsHeaderDataAndEndReports) {
    auto transmitter = plug();
    ASSERT_EQ(open(), ExitOk);
    PageJob job{1, {0xFF, 192, 192, 'A', 'B', 'C', 'D', 'E', 'F'}};
    EXPECT_EQ(session->sendPages({job}), ExitOk) << err.str();
    auto writes = transmitter->writes();
    // Per target six headers, then two rounds of the two data reports, then one end report each.
    ASSERT_EQ(writes.size(), 1u + 12 + 4 + 2);
    EXPECT_EQ(writes[1][7], KqCmdPageHeader);
    EXPECT_EQ(writes[1][6], 4);
    EXPECT_EQ(writes[7][6], 9);
    for (size_t i : {writes.size() - 2, writes.size() - 1}) {
        EXPECT_EQ(writes[i][7], KqCmdPagesEnd);
        EXPECT_EQ(writes[i][9], 255 - 2) << "page 2 went out";
    }
}

TEST(CliLists, PanelAndPageListsAreCheckedWhole) {
    EXPECT_EQ(*parsePanelList("9,4,4,255"), (std::vector<uint8_t>{4, 9, 255}));
    EXPECT_EQ(*parsePanelList("0"), (std::vector<uint8_t>{0}));
    EXPECT_EQ(*parsePageList("8,1,3"), (std::vector<int>{0, 2, 7}));
    for (const char* bad : {"", ",", "4,", ",4", "4,,5", "256", "-1", "4 5", " 4", "x", "0004"})
        EXPECT_FALSE(parsePanelList(bad)) << bad;
    for (const char* bad : {"0", "9", "1,9", "1;2"}) EXPECT_FALSE(parsePageList(bad)) << bad;
}

TEST(CliProgress, BarFillsWithThePosition) {
    EXPECT_EQ(progressBarText("Página 1", 0, 10, 10), "[          ]   0%  Página 1");
    EXPECT_EQ(progressBarText("Página 1", 5, 10, 10), "[#####     ]  50%  Página 1");
    EXPECT_EQ(progressBarText("x", 12, 10, 4), "[####] 100%  x");
    EXPECT_EQ(progressBarText("x", 3, 0, 4), "[####] 100%  x");
}

} // namespace
} // namespace vorelux::cli

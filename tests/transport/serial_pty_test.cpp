// The serial transport end to end: sendParameter writes through the real
// QSerialPort to the slave side of a pseudo-terminal registered as a COM
// port; the test reads the master side and decodes every byte.
#include "link/panel_link.h"
#include "link/simulated.h"
#include "support/operator_fakes.h"
#include "support/pty.h"
#include "support/recording_prompter.h"
#include "transport/qt_serial.h"

#include <QSerialPort>
#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace vorelux {
namespace {

using testing::CountingConfigurator;
using testing::Pty;
using testing::RecordingPrompter;
using testing::ReportingTransmitter;

// At every pause, reads what the panel side has received since the last one:
// so each pause is seen right after the byte it follows.
struct WireSleeper : Sleeper {
    Pty& pty;
    std::vector<std::pair<int, std::vector<uint8_t>>> steps; // pause, bytes before it
    explicit WireSleeper(Pty& p) : pty(p) {}
    void sleep(int ms) override { steps.push_back({ms, pty.drain(1000)}); }
};

// A panel's decoder of parameter frames: address, 98, parameter, value.
struct ParamFrame {
    int panel, parameter, value;
    bool operator==(const ParamFrame&) const = default;
};
std::vector<ParamFrame> decodeParamFrames(const std::vector<uint8_t>& wire, bool& ok) {
    std::vector<ParamFrame> frames;
    ok = wire.size() % 4 == 0;
    for (size_t i = 0; ok && i + 4 <= wire.size(); i += 4) {
        if (wire[i + 1] != PanelCmdParameter) ok = false;
        frames.push_back({wire[i], wire[i + 2], wire[i + 3]});
    }
    return frames;
}

constexpr int PtyCom = 150;     // the pseudo-terminal's port
constexpr int MissingCom = 201; // registered, but its device does not exist

struct PtySerial : ::testing::Test {
    Pty pty;
    ConnectionSettingsStore connection;
    const ConnectionSettings& cfg = connection.get();
    QtPortCatalog catalog;
    QtSerialPort port;
    WireSleeper sleeper{pty};
    RecordingPrompter prompter;
    SimulatedHidBus bus;
    ReportingTransmitter transmitter{bus, connection, prompter};
    OperatorLink link{connection, catalog, port, transmitter, sleeper, prompter};

    void SetUp() override {
        ASSERT_FALSE(pty.slavePath.empty()) << "no pseudo-terminal available";
        catalog.registerPort(PtyCom, pty.slavePath, "painel virtual");
        catalog.registerPort(MissingCom, "/dev/vorelux-no-such-port");
        connection.setPortNumber(PtyCom);
    }
};

TEST_F(PtySerial, ParameterFrameArrivesByteByByteWithItsPauses) {
    // Value 10 is a line feed: a port left in text mode would add a carriage return.
    ASSERT_EQ(link.sendParameter(8, 4, 10), SendOk);
    // The link's first transfer leaves the line idle first (a cut frame drops).
    std::vector<std::pair<int, std::vector<uint8_t>>> expected{
        {LineSettleMs, {}}, {50, {4}}, {25, {98}}, {25, {8}}, {25, {10}}};
    EXPECT_EQ(sleeper.steps, expected);
    EXPECT_TRUE(pty.drain(50).empty()); // nothing after the frame

    // The port was closed: it can be opened again at once.
    QSerialPort again(QString::fromStdString(pty.slavePath));
    EXPECT_TRUE(again.open(QIODevice::WriteOnly)) << again.errorString().toStdString();
}

TEST_F(PtySerial, EveryCheckedPanelGetsItsFrameInTurn) {
    TargetChecks checks{};
    checks[1] = checks[17] = checks[255] = true;
    ASSERT_EQ(link.sendToCheckedPanels(checks, link.parameter(9, signedValue(-99)), nullptr),
              SendOk);
    std::vector<uint8_t> wire;
    for (auto& [pause, bytes] : sleeper.steps) wire.insert(wire.end(), bytes.begin(), bytes.end());
    bool ok = false;
    auto frames = decodeParamFrames(wire, ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(frames, (std::vector<ParamFrame>{{1, 9, 157}, {17, 9, 157}, {255, 9, 157}}));
}

TEST_F(PtySerial, PortNotInTheListGives1AndPortNotSelected) {
    std::vector<SerialPortInfo> listed;
    catalog.listPorts(listed);
    int absent = 0;
    for (int n = 255; n >= 1 && !absent; --n)
        if (!findPort(listed, n)) absent = n;
    ASSERT_NE(absent, 0);
    connection.setPortNumber(absent);
    link.lastSendResult = link.sendParameter(255, 0, 0);
    EXPECT_EQ(link.lastSendResult, SendPortNotListed);
    link.reportSendResult();
    EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PortNotSelected});
    EXPECT_TRUE(pty.drain(20).empty());
}

TEST_F(PtySerial, PortThatCannotBeOpenedGives2AndPortBusy) {
    struct Case {
        const char* what;
        int com;
    };
    for (Case c : {Case{.what = "device missing", .com = MissingCom},
                   Case{.what = "port busy", .com = PtyCom}}) {
        SCOPED_TRACE(c.what);
        // Another program holds the pseudo-terminal in the busy case.
        QSerialPort holder(QString::fromStdString(pty.slavePath));
        if (c.com == PtyCom) {
            ASSERT_TRUE(holder.open(QIODevice::WriteOnly));
        }
        prompter.prompts.clear();
        connection.setPortNumber(c.com);
        link.lastSendResult = link.sendParameter(255, 0, 0);
        EXPECT_EQ(link.lastSendResult, SendPortFailed);
        EXPECT_FALSE(link.lastSerialError.empty());
        link.reportSendResult();
        EXPECT_EQ(prompter.prompts, std::vector<Prompt>{Prompt::PortBusy});
    }
    EXPECT_TRUE(sleeper.steps.empty());
    EXPECT_TRUE(pty.drain(20).empty());
}

// A device the user may not open says so and how to get access (the
// "dialout" group), not only "Permission denied". Run as an ordinary user
// in a child process, since root may open anything.
TEST_F(PtySerial, PermissionDeniedSaysHowToGetAccess) {
    ::chmod(pty.slavePath.c_str(), 0600);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string error = "not run";
        if (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) {
            ::setenv("USER", "ana", 1);
            QtSerialPort denied;
            if (denied.open(pty.slavePath, error)) error = "opened";
        }
        [[maybe_unused]] auto written = ::write(pipeEnds[1], error.data(), error.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string error;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        error.append(buffer, size_t(n));
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
    if (error == "not run") GTEST_SKIP() << "cannot become an ordinary user here";
    EXPECT_EQ(error, "Permissão negada. Para usar as portas seriais, o usuário precisa estar no "
                     "grupo \"dialout\": rode \"sudo adduser ana dialout\" e entre de novo na "
                     "sessão");
}

} // namespace
} // namespace vorelux

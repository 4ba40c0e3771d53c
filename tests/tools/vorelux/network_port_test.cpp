// The tool's ports beyond the serial devices, end to end with real
// components: ser2net bridging a pseudo-terminal to TCP (raw and RFC 2217),
// servers that refuse, drop or never answer, the operator's added ports, and
// virtual panels that announce themselves or listen on TCP.
#include "files/conn_cfg.h"
#include "support/pty.h"
#include "support/run_tool.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <future>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using vorelux::testing::Pty;

ToolResult run(const std::string& tool, const std::vector<std::string>& args) {
    std::string line = shellQuote(tool);
    for (const auto& a : args) line += " " + shellQuote(a);
    return runTool("/bin/sh", {"-c", line});
}

ToolResult vorelux(const std::vector<std::string>& args) {
    return run(VORELUX_TOOL, args);
}

// A TCP port on the loopback nobody listens on (at the moment of asking).
int freeTcpPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

bool someoneListensOn(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool taken = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0;
    close(fd);
    return taken;
}

// A listening socket of the test's own, for servers that misbehave.
struct Listener {
    int fd = -1;
    int port = 0;
    explicit Listener(int backlog = 4) {
        fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd, backlog);
        socklen_t len = sizeof a;
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Listener() { close(fd); }
    std::string address(const char* scheme = "socket://") const {
        return std::string(scheme) + "127.0.0.1:" + std::to_string(port);
    }
};

// ser2net serving one pseudo-terminal twice: raw on rawPort, telnet with
// RFC 2217 on telnetPort. The line starts at 1200 baud, so a transfer that
// arrives right shows RFC 2217 set it.
struct Ser2Net {
    pid_t pid = -1;
    int rawPort = freeTcpPort();
    int telnetPort = freeTcpPort();
    bool start(const std::string& device, const TempDir& dir) {
        const std::string config = dir.file("ser2net.yaml");
        const std::string text = "%YAML 1.1\n---\n"
                                 "connection: &raw\n  accepter: tcp,127.0.0.1," +
                                 std::to_string(rawPort) + "\n  connector: serialdev," + device +
                                 ",1200n81,local\n"
                                 "connection: &telnet\n  accepter: telnet(rfc2217),tcp,127.0.0.1," +
                                 std::to_string(telnetPort) + "\n  connector: serialdev," + device +
                                 ",1200n81,local\n";
        writeBytes(config, Bytes(text.begin(), text.end()));
        pid = fork();
        if (pid == 0) {
            freopen("/dev/null", "w", stderr);
            execlp("ser2net", "ser2net", "-n", "-d", "-c", config.c_str(), "-P",
                   dir.file("ser2net.pid").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100; ++i) {
            if (someoneListensOn(rawPort) && someoneListensOn(telnetPort)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    ~Ser2Net() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::string raw() const { return "socket://127.0.0.1:" + std::to_string(rawPort); }
    std::string telnet() const { return "rfc2217://127.0.0.1:" + std::to_string(telnetPort); }
};

// The bytes on the panel's side of the line while the tool runs, each with
// the time it arrived.
struct Arrivals {
    Bytes bytes;
    std::vector<double> ms;
    speed_t speedAtFirstByte = 0; // the line's speed when the first byte arrived
    // The share of the gaps between consecutive bytes of at least `minMs`.
    double shareOfGapsAtLeast(double minMs) const {
        if (ms.size() < 2) return 0;
        size_t wide = 0;
        for (size_t i = 1; i < ms.size(); ++i) wide += ms[i] - ms[i - 1] >= minMs;
        return double(wide) / double(ms.size() - 1);
    }
};

ToolResult runCapturing(Pty& pty, const std::vector<std::string>& args, Arrivals& seen) {
    auto running = std::async(std::launch::async, [&] { return vorelux(args); });
    const auto start = Clock::now();
    auto take = [&](int waitMs) {
        pollfd p{pty.master, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0) return false;
        uint8_t buf[512];
        const ssize_t n = read(pty.master, buf, sizeof buf);
        const double at = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        termios line{};
        if (seen.bytes.empty() && n > 0 && tcgetattr(pty.slave, &line) == 0)
            seen.speedAtFirstByte = cfgetospeed(&line);
        for (ssize_t i = 0; i < n; ++i) {
            seen.bytes.push_back(buf[i]);
            seen.ms.push_back(at);
        }
        return n > 0;
    };
    while (running.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) take(20);
    while (take(300)) {
    }
    return running.get();
}

struct NetworkLine : ::testing::Test {
    Pty pty;
    TempDir dir;
    Ser2Net server;
    std::string pageFile = dir.file("page.vpg");
    void SetUp() override {
        ASSERT_FALSE(pty.slavePath.empty()) << "no pseudo-terminal";
        ASSERT_TRUE(server.start(pty.slavePath, dir)) << "ser2net did not start (is it installed?)";
        // Two lines: every line starts with 0xFF, which telnet must carry single.
        ASSERT_EQ(vorelux({"make", pageFile, "--in", "3", "OLÁ", "MUNDO"}).exitCode, 0);
    }
};

TEST_F(NetworkLine, CommandsAndPagesArriveAsOnTheSerialPortWithTheirPauses) {
    const std::vector<std::vector<std::string>> commands{
        {"power", "on", "--to", "5"}, {"send", pageFile, "--to", "5", "--pages", "1"}};
    for (const auto& command : commands) {
        Arrivals direct;
        auto args = command;
        args.insert(args.end(), {"--port", pty.slavePath});
        ASSERT_EQ(runCapturing(pty, args, direct).exitCode, 0);
        ASSERT_FALSE(direct.bytes.empty());
        if (command[0] == "send") { // the lines' 0xFF markers, to be carried single
            ASSERT_GE(std::count(direct.bytes.begin(), direct.bytes.end(), 0xFF), 2);
        }
        for (const std::string& address : {server.raw(), server.telnet()}) {
            SCOPED_TRACE(address + " " + command[0]);
            Arrivals seen;
            args = command;
            args.insert(args.end(), {"--port", address});
            const ToolResult result = runCapturing(pty, args, seen);
            ASSERT_EQ(result.exitCode, 0) << result.err;
            EXPECT_EQ(seen.bytes, direct.bytes);
            // Every byte is followed by a pause of 25 ms or more: they arrive
            // apart, not gathered by the network (a loaded machine may bunch
            // a few).
            EXPECT_GE(seen.shareOfGapsAtLeast(15), 0.8) << ::testing::PrintToString(seen.ms);
            // ser2net keeps its line at 1200 baud for raw connections; RFC 2217
            // sets it to 9600 before the first byte.
            EXPECT_EQ(seen.speedAtFirstByte, address == server.raw() ? B1200 : B9600);
        }
    }
}

TEST_F(NetworkLine, AddedPortsAreReachedByTheirNumber) {
    const std::string cfg = dir.file("conn.cfg");
    vorelux::ConnectionSettings settings;
    settings.portNumber = 254;
    settings.targetPanels = {5};
    writeBytes(cfg, vorelux::encodeConnCfg(settings));
    const std::string added = "COM255 " + server.raw() + "\nCOM254 " + server.telnet() + "\n";
    writeBytes(dir.file("portas.txt"), Bytes(added.begin(), added.end()));

    const ToolResult listed = vorelux({"ports", "--config", cfg});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("COM255      255  " + server.raw()), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find(server.telnet()), std::string::npos) << listed.out;

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"power", "off", "--config", cfg, "--port", "COM255"},
          std::vector<std::string>{"power", "off", "--config", cfg}}) { // the number of conn.cfg
        const ToolResult sent = vorelux(args);
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_EQ(pty.drain(500), (Bytes{5, 98, 252, 0}));
    }
}

TEST(NetworkFailures, EndLikeASerialPortThatFailsAndNeverHang) {
    Listener silent;  // accepts, never says a word
    Listener full(0); // its queue filled: further connections wait forever
    const int filler = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(full.port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(filler, reinterpret_cast<sockaddr*>(&a), sizeof a);

    // A server that takes ten bytes of the page and hangs up.
    Listener dropping;
    std::thread dropper([&] {
        const int c = accept(dropping.fd, nullptr, nullptr);
        uint8_t buf[10];
        size_t got = 0;
        while (got < sizeof buf) {
            const ssize_t n = read(c, buf + got, sizeof buf - got);
            if (n <= 0) break;
            got += size_t(n);
        }
        close(c);
    });
    TempDir dir;
    const std::string page = dir.file("page.vpg");
    ASSERT_EQ(vorelux({"make", page, "--in", "3", "UMA LINHA BEM LONGA"}).exitCode, 0);

    struct Case {
        std::string address;
        std::vector<std::string> command;
        int exitCode;
        std::string says;
    };
    const std::vector<std::string> power{"power", "on", "--to", "5"};
    const std::vector<Case> cases{
        {.address = "socket://127.0.0.1:" + std::to_string(freeTcpPort()),
         .command = power,
         .exitCode = 4,
         .says = "não foi possível conectar a 127.0.0.1:"},
        {.address = "socket://no-such-host.invalid:4001",
         .command = power,
         .exitCode = 4,
         .says = "não foi possível conectar a no-such-host.invalid:4001"},
        {.address = full.address(), .command = power, .exitCode = 4, .says = "sem resposta em 5 s"},
        {.address = silent.address("rfc2217://"),
         .command = power,
         .exitCode = 4,
         .says = "não confirmou a linha 9600 8N1"},
        {.address = dropping.address(),
         .command = {"send", page, "--to", "5"},
         .exitCode = 4,
         .says = "foi encerrada"},
        {.address = "socket://127.0.0.1", .command = power, .exitCode = 2, .says = "HOST:PORTA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        auto args = c.command;
        args.insert(args.end(), {"--port", c.address});
        const auto started = Clock::now();
        const ToolResult result = vorelux(args);
        EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(30)) << "never a hang";
    }
    dropper.join();
    close(filler);
}

// One of the misbehaving servers of hostile_telnet_server.py, listening.
struct HostileServer {
    pid_t pid = -1;
    int port = 0;
    explicit HostileServer(std::vector<std::string> args) {
        int fds[2];
        if (pipe(fds) != 0) return;
        args.insert(args.begin(), {"python3", HOSTILE_SERVER});
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], 1);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execvp("python3", argv.data());
            _exit(127);
        }
        close(fds[1]);
        FILE* out = fdopen(fds[0], "r");
        char line[32] = {};
        if (out && fgets(line, sizeof line, out)) port = atoi(line);
        if (out) fclose(out);
    }
    ~HostileServer() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::string address() const { return "rfc2217://127.0.0.1:" + std::to_string(port); }
};

// The tool run as a child of the test's own, measured: how it ended, what it
// said, the most memory it held and how long it took.
struct MeasuredRun {
    int exitCode = -1;
    std::string err;
    long peakKb = 0;
    double seconds = 0;
};

MeasuredRun runMeasured(std::vector<std::string> args) {
    TempDir dir;
    const std::string errPath = dir.file("err.txt");
    args.insert(args.begin(), VORELUX_TOOL);
    const auto started = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(60); // a run that hangs fails the test instead of stalling it
        freopen("/dev/null", "w", stdout);
        freopen(errPath.c_str(), "w", stderr);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(VORELUX_TOOL, argv.data());
        _exit(127);
    }
    MeasuredRun run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKb = usage.ru_maxrss;
    const Bytes err = readBytes(errPath);
    run.err.assign(err.begin(), err.end());
    return run;
}

// A server that confirms the line, then floods option changes while it
// reads slowly: the run ends with a reason of its own, in a few MB.
TEST(HostileServers, AFloodOfOptionChangesEndsTheRunWithinAFewMegabytes) {
    TempDir dir;
    const std::string page = dir.file("page.vpg");
    ASSERT_EQ(vorelux({"make", page, "--in", "3", "UMA LINHA BEM LONGA"}).exitCode, 0);
    const MeasuredRun quiet = runMeasured({"make", dir.file("other.vpg"), "--in", "3", "A"});
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"send", page, "--to", "5"},
          std::vector<std::string>{"power", "on", "--to", "5"}}) {
        SCOPED_TRACE(command[0]);
        HostileServer server({"flood"});
        ASSERT_GT(server.port, 0) << "the server did not start (is python3 installed?)";
        auto args = command;
        args.insert(args.end(), {"--port", server.address()});
        const MeasuredRun run = runMeasured(args);
        EXPECT_EQ(run.exitCode, 4) << run.err;
        EXPECT_NE(run.err.find("127.0.0.1:" + std::to_string(server.port) +
                               " enviou dados demais de uma vez (mais de 64 KB)"),
                  std::string::npos)
            << run.err;
        // The tool's own size plus a few MB, not the hundreds a queue of
        // answers grows to.
        EXPECT_LT(run.peakKb - quiet.peakKb, 16 * 1024) << "peak " << run.peakKb << " KB";
        EXPECT_LT(run.seconds, 10.0);
    }
}

// A server that accepts the com-port option at 2.9 s and never confirms the
// line is given up 3 s after the negotiation began, not 3 s after each wait.
TEST(HostileServers, TheNegotiationHasOneDeadline) {
    HostileServer server({"late", "2.9"});
    ASSERT_GT(server.port, 0) << "the server did not start (is python3 installed?)";
    const MeasuredRun run = runMeasured({"power", "on", "--to", "5", "--port", server.address()});
    EXPECT_EQ(run.exitCode, 4) << run.err;
    EXPECT_NE(run.err.find("não confirmou a linha 9600 8N1 (RFC 2217) em 3 s"), std::string::npos)
        << run.err;
    EXPECT_GT(run.seconds, 2.9);
    EXPECT_LT(run.seconds, 4.5);
}

#ifdef VORELUX_PANEL
// A running virtual panel, its first line of output read.
struct VirtualPanel {
    pid_t pid = -1;
    FILE* out = nullptr;
    std::string firstLine;
    explicit VirtualPanel(std::vector<std::string> args) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        pid = fork();
        if (pid == 0) {
            dup2(pipeFds[1], 1);
            close(pipeFds[0]);
            std::vector<char*> argv{const_cast<char*>(VORELUX_PANEL),
                                    const_cast<char*>("--headless"), const_cast<char*>("--log")};
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(VORELUX_PANEL, argv.data());
            _exit(127);
        }
        close(pipeFds[1]);
        out = fdopen(pipeFds[0], "r");
        char line[256] = {};
        if (out && fgets(line, sizeof line, out)) firstLine = line;
    }
    // The log lines up to one holding `text`, or until the panel ends.
    bool waitFor(const std::string& text) {
        char line[512];
        while (out && fgets(line, sizeof line, out))
            if (std::string(line).find(text) != std::string::npos) return true;
        return false;
    }
    ~VirtualPanel() {
        if (pid <= 0) return;
        kill(pid, SIGTERM); // ends cleanly, withdrawing its announcement
        waitpid(pid, nullptr, 0);
        if (out) fclose(out);
    }
};

TEST(VirtualPanelPorts, AnnouncedPanelsAreListedAndReachedByNumberAndTcp) {
    TempDir runtime;
    chmod(runtime.path.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
    const int tcp = freeTcpPort();
    std::string ptyDevice = "/dev/pts/";
    {
        VirtualPanel ptyPanel({"--id", "7", "--pty"});
        VirtualPanel tcpPanel({"--id", "7", "--listen", std::to_string(tcp)});
        ASSERT_EQ(ptyPanel.firstLine.rfind("pty /dev/pts/", 0), 0u) << ptyPanel.firstLine;
        const std::string com = ptyPanel.firstLine.substr(ptyPanel.firstLine.rfind(' ') + 1, 6);
        ptyDevice = ptyPanel.firstLine.substr(4, ptyPanel.firstLine.find(' ', 4) - 4);
        ASSERT_EQ(tcpPanel.firstLine, "listen " + std::to_string(tcp) +
                                          " socket://127.0.0.1:" + std::to_string(tcp) + "\n");

        const ToolResult listed = vorelux({"ports", "--config", runtime.file("conn.cfg")});
        EXPECT_NE(listed.out.find("painel virtual 7"), std::string::npos) << listed.out;
        EXPECT_NE(listed.out.find("socket://127.0.0.1:" + std::to_string(tcp)), std::string::npos)
            << listed.out;

        const std::string comName = com.substr(0, com.find_first_of("\n "));
        ToolResult sent = vorelux({"power", "off", "--to", "7", "--port", comName});
        EXPECT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_TRUE(ptyPanel.waitFor("parâmetro 252 = 0 (painel 7)"));
        sent = vorelux(
            {"power", "on", "--to", "7", "--port", "socket://127.0.0.1:" + std::to_string(tcp)});
        EXPECT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_TRUE(tcpPanel.waitFor("parâmetro 255 = 0 (painel 7)"));
    }
    // Both panels have ended and withdrawn their announcements (other users'
    // panels in /tmp may still be listed: only these two are looked for).
    const ToolResult after = vorelux({"ports", "--config", runtime.file("conn.cfg")});
    EXPECT_EQ(after.out.find("socket://127.0.0.1:" + std::to_string(tcp)), std::string::npos)
        << after.out;
    EXPECT_EQ(after.out.find(ptyDevice + " "), std::string::npos) << after.out;
    unsetenv("XDG_RUNTIME_DIR");
}

// A panel and a reader that disagree about XDG_RUNTIME_DIR (one started from
// cron or su) still meet.
TEST(VirtualPanelPorts, ListedWhetherOrNotTheReaderHasTheRuntimeFolder) {
    TempDir runtime;
    chmod(runtime.path.c_str(), 0700);
    unsetenv("XDG_RUNTIME_DIR");
    {
        // Started without the variable: it announces in /tmp.
        VirtualPanel panel({"--id", "9", "--pty"});
        ASSERT_EQ(panel.firstLine.rfind("pty /dev/pts/", 0), 0u) << panel.firstLine;
        const std::string device = panel.firstLine.substr(4, panel.firstLine.find(' ', 4) - 4);
        setenv("XDG_RUNTIME_DIR", runtime.path.c_str(), 1);
        const ToolResult listed = vorelux({"ports", "--config", runtime.file("conn.cfg")});
        unsetenv("XDG_RUNTIME_DIR");
        EXPECT_NE(listed.out.find(device), std::string::npos) << listed.out;
    }
    // Started in a desktop session (its runtime folder is /run/user/UID), read
    // from cron without the variable.
    const std::string session = "/run/user/" + std::to_string(getuid());
    struct stat st {};
    if (lstat(session.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid())
        GTEST_SKIP() << session << " is not this user's folder here";
    setenv("XDG_RUNTIME_DIR", session.c_str(), 1);
    VirtualPanel panel({"--id", "9", "--pty"});
    unsetenv("XDG_RUNTIME_DIR");
    ASSERT_EQ(panel.firstLine.rfind("pty /dev/pts/", 0), 0u) << panel.firstLine;
    const std::string device = panel.firstLine.substr(4, panel.firstLine.find(' ', 4) - 4);
    const ToolResult listed = vorelux({"ports", "--config", runtime.file("conn.cfg")});
    EXPECT_NE(listed.out.find(device), std::string::npos) << listed.out;
}
#endif

} // namespace

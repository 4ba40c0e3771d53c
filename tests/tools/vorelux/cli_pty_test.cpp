// The unattended commands of the tool end to end: the real executable writes
// through its serial port to the slave side of a pseudo-terminal pair; the
// test reads the master side and decodes every frame as a panel would. The
// same commands with --dry-run must print exactly those frames.
#include "files/conn_cfg.h"
#include "files/page_file.h"
#include "link/panel_link.h"
#include "support/pty.h"
#include "support/recording_prompter.h"
#include "support/run_tool.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

using vorelux::testing::Pty;

// Everything that has reached the panel side (the tool has ended by then).
Bytes drain(Pty& pty) {
    return pty.drain(100);
}

// A frame as a panel takes it: a parameter command or a page.
struct Frame {
    int panel = 0;
    int command = 0;   // 98 parameter, 150 page
    int parameter = 0; // parameter code, or page number + 3
    Bytes data;        // the value, or the page content followed by its end byte
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Frame& f) {
    os << "{" << f.panel << " " << f.command << " " << f.parameter << " :";
    for (int b : f.data) os << " " << b;
    return os << "}";
}

Frame param(int panel, int parameter, int value) {
    return {panel, 98, parameter, {uint8_t(value)}};
}
Frame page(int panel, int pageIndex, Bytes content, bool displayed) {
    content.push_back(displayed ? 17 : 16);
    return {panel, 150, pageIndex + 3, content};
}

// Decodes the wire. Pages run to their end byte 16 or 17 (the test pages
// hold neither as content).
std::vector<Frame> decode(const Bytes& wire, std::string& problem) {
    std::vector<Frame> frames;
    size_t i = 0;
    while (i < wire.size()) {
        if (i + 3 >= wire.size()) {
            problem = "a frame is cut short at byte " + std::to_string(i);
            break;
        }
        Frame f{wire[i], wire[i + 1], wire[i + 2], {}};
        if (f.command == 98) {
            f.data = {wire[i + 3]};
            i += 4;
        } else if (f.command == 150) {
            size_t j = i + 3;
            while (j < wire.size() && wire[j] != 16 && wire[j] != 17) ++j;
            if (j == wire.size()) {
                problem = "a page frame has no end byte";
                break;
            }
            f.data.assign(wire.begin() + long(i + 3), wire.begin() + long(j + 1));
            i = j + 1;
        } else {
            problem =
                "unknown command " + std::to_string(f.command) + " at byte " + std::to_string(i);
            break;
        }
        frames.push_back(f);
    }
    return frames;
}

// The frames and pauses a dry run prints: one line per serial frame,
// "serial COMn (device): HEX | pausas (ms): ..." or "| N ms após cada byte".
struct DryRun {
    Bytes wire;
    std::vector<std::vector<int>> pauses; // per frame, one per byte
    std::vector<std::string> otherLines;
    bool idleLineFirst = false; // "pausa: 700 ms" before the first frame
};
DryRun parseDryRun(const std::string& out) {
    DryRun run;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        if (run.wire.empty() && line == "pausa: " + std::to_string(vorelux::LineSettleMs) + " ms") {
            run.idleLineFirst = true;
            continue;
        }
        auto colon = line.find(": ");
        auto bar = line.find(" | ");
        if (line.rfind("serial COM", 0) != 0 || colon == std::string::npos ||
            bar == std::string::npos) {
            run.otherLines.push_back(line);
            continue;
        }
        std::istringstream hex(line.substr(colon + 2, bar - colon - 2));
        std::string byte;
        size_t count = 0;
        while (hex >> byte) {
            run.wire.push_back(uint8_t(std::stoi(byte, nullptr, 16)));
            ++count;
        }
        std::string tail = line.substr(bar + 3);
        std::vector<int> pauses;
        if (tail.rfind("pausas (ms):", 0) == 0) {
            std::istringstream list(tail.substr(12));
            int p;
            while (list >> p) pauses.push_back(p);
        } else {
            pauses.assign(count, std::stoi(tail));
        }
        run.pauses.push_back(pauses);
    }
    return run;
}

std::string connCfg(const TempDir& dir, int com, std::vector<uint8_t> targetPanels) {
    vorelux::ConnectionSettings cfg;
    cfg.portNumber = com;
    cfg.targetPanels = std::move(targetPanels);
    std::string path = dir.file("conn.cfg");
    writeBytes(path, vorelux::encodeConnCfg(cfg));
    return path;
}

ToolResult run(std::vector<std::string> args) {
    // runTool takes an initializer list; pass the vector through a shell line.
    std::string line;
    for (const auto& a : args) line += " " + shellQuote(a);
    return runTool("/bin/sh", {"-c", shellQuote(VORELUX_TOOL) + line});
}

struct CliPty : ::testing::Test {
    Pty pty;
    TempDir dir;
    void SetUp() override { ASSERT_FALSE(pty.slavePath.empty()) << "no pseudo-terminal"; }

    // Runs the command on the pseudo-terminal, then as a dry run, and checks
    // both against the expected frames; the dry run also lists the pauses.
    void expectFrames(std::vector<std::string> args, const std::vector<Frame>& expected) {
        SCOPED_TRACE(::testing::PrintToString(args));
        auto sent = run([&] {
            auto a = args;
            a.insert(a.end(), {"--port", pty.slavePath});
            return a;
        }());
        ASSERT_EQ(sent.exitCode, 0) << sent.err;
        EXPECT_EQ(sent.out, "");
        std::string problem;
        auto frames = decode(drain(pty), problem);
        EXPECT_EQ(problem, "");
        EXPECT_EQ(frames, expected);

        auto dry = run([&] {
            auto a = args;
            a.insert(a.end(), {"--port", pty.slavePath, "--dry-run"});
            return a;
        }());
        ASSERT_EQ(dry.exitCode, 0) << dry.err;
        EXPECT_TRUE(drain(pty).empty()) << "a dry run sends nothing";
        auto printed = parseDryRun(dry.out);
        EXPECT_TRUE(printed.otherLines.empty()) << dry.out;
        EXPECT_TRUE(printed.idleLineFirst) << dry.out;
        EXPECT_EQ(decode(printed.wire, problem), expected) << dry.out;
        ASSERT_EQ(printed.pauses.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            std::vector<int> want;
            if (expected[i].command == 98)
                want = {50, 25, 25, 25};
            else
                want.assign(expected[i].data.size() + 3, 30);
            EXPECT_EQ(printed.pauses[i], want) << "frame " << i;
        }
    }
};

TEST_F(CliPty, ParameterCommandsReachEachTargetInTurn) {
    std::string cfg = connCfg(dir, 0, {});
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::pair<int, int>>>> cases =
        {
            {{"power", "on"}, {{255, 0}}},
            {{"power", "off"}, {{252, 0}}},
            {{"show-pages", "5,1,2"}, {{0, 19}}},
            {{"set", "speed", "100"}, {{10, 9}}},
            {{"set", "speed", "0"}, {{10, 30}}},
            {{"set", "brightness", "200"}, {{11, 200}}},
            {{"set", "orientation", "vertical"}, {{12, 1}}},
            {{"set", "temp-internal", "-20"}, {{8, 236}}},
            {{"set", "temp-external", "99"}, {{9, 99}}},
            {{"set-clock", "--at", "2023-03-05 14:07:09"},
             {{64, 9}, {65, 7}, {66, 14}, {69, 0}, {67, 5}, {68, 3}, {70, 23}}},
        };
    for (const auto& [args, params] : cases) {
        std::vector<Frame> expected;
        for (int panel : {4, 9})
            for (auto [p, v] : params) expected.push_back(param(panel, p, v));
        auto a = args;
        a.insert(a.end(), {"--to", "9,4", "--config", cfg});
        expectFrames(a, expected);
    }
}

TEST_F(CliPty, TargetsAndPortComeFromConnCfg) {
    // The stored list [0, 7] addresses every panel once.
    std::string cfg = connCfg(dir, 3, {0, 7});
    expectFrames({"power", "off", "--config", cfg}, {param(0, 252, 0)});
    // Without --port, the port of conn.cfg.
    auto dry = run({"power", "off", "--config", cfg, "--dry-run"});
    EXPECT_EQ(dry.exitCode, 0) << dry.err;
    // The idle line first: nothing is known of it yet.
    EXPECT_EQ(dry.out,
              "pausa: 700 ms\nserial COM3 (/dev/ttyS2): 00 62 FC 00 | pausas (ms): 50 25 25 25\n");
    std::string absent = connCfg(dir, 77, {7});
    auto r = run({"power", "off", "--config", absent});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, "vorelux power: Porta COM não selecionada. (COM77 não está instalada neste "
                     "computador)\n");
}

// A stored list as another program may have left it: each panel is reached
// once, in ascending order, and "every panel" among others means every panel.
// A settings file others may write is not believed.
TEST_F(CliPty, StoredTargetListIsNormalisedAndADistrustedFileRefused) {
    const std::string path = dir.file("raw.cfg");
    auto rawConfig = [&](std::vector<uint8_t> targets) {
        Bytes file(16, 0);
        file.insert(file.end(), targets.begin(), targets.end());
        writeBytes(path, file);
    };
    rawConfig({3, 1, 3, 2, 2, 255});
    expectFrames({"power", "off", "--config", path},
                 {param(1, 252, 0), param(2, 252, 0), param(3, 252, 0), param(255, 252, 0)});
    rawConfig({3, 1, 3, 2, 2, 0, 255});
    expectFrames({"power", "off", "--config", path}, {param(0, 252, 0)});

    ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
    auto r = run({"power", "off", "--port", pty.slavePath, "--config", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(path + " foram ignoradas: o arquivo pode ser alterado por outros"),
              std::string::npos)
        << r.err;
}

TEST_F(CliPty, WithoutConfigTheEditorsSettingsAreFoundAsTheEditorFindsThem) {
    const std::filesystem::path besideTool =
        std::filesystem::path(VORELUX_TOOL).parent_path() / "conn.cfg";
    if (std::filesystem::exists(besideTool)) GTEST_SKIP() << "a portable copy: " << besideTool;
    // The user's configuration folder, as the editor's Qt names it.
    const std::string home = dir.file("config");
    const std::string folder = home + "/Vorelux/Vorelux Editor";
    const auto withHome = [&](std::vector<std::string> args) {
        std::string line = "XDG_CONFIG_HOME=" + shellQuote(home) + " " + shellQuote(VORELUX_TOOL);
        for (const auto& a : args) line += " " + shellQuote(a);
        return runTool("/bin/sh", {"-c", line});
    };

    auto missing = withHome({"power", "off", "--dry-run"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find(folder + "/conn.cfg"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find(besideTool.string()), std::string::npos) << missing.err;

    std::filesystem::create_directories(folder);
    vorelux::ConnectionSettings cfg;
    cfg.portNumber = 3;
    cfg.targetPanels = {0, 7};
    writeBytes(folder + "/conn.cfg", vorelux::encodeConnCfg(cfg));
    const std::string added = "COM250 " + pty.slavePath + "\n";
    writeBytes(folder + "/portas.txt", Bytes(added.begin(), added.end()));

    auto found = withHome({"power", "off", "--dry-run"});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    // The idle line first: nothing is known of it yet.
    EXPECT_EQ(found.out,
              "pausa: 700 ms\nserial COM3 (/dev/ttyS2): 00 62 FC 00 | pausas (ms): 50 25 25 25\n");
    // The ports added beside it are listed.
    auto ports = withHome({"ports"});
    EXPECT_EQ(ports.exitCode, 0) << ports.err;
    EXPECT_NE(ports.out.find("COM250      250  " + pty.slavePath), std::string::npos) << ports.out;
}

TEST_F(CliPty, SetClockWithoutAtSendsTheComputersTime) {
    auto r = run({"set-clock", "--to", "2", "--port", pty.slavePath});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string problem;
    auto frames = decode(drain(pty), problem);
    ASSERT_EQ(frames.size(), 7u) << problem;
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const int order[] = {64, 65, 66, 69, 67, 68, 70};
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(frames[i].parameter, order[i]);
    // Date fields (a run across midnight would differ: compare loosely there).
    if (local.tm_hour > 0 || local.tm_min > 0) {
        EXPECT_EQ(frames[3].data[0], local.tm_wday);
        EXPECT_EQ(frames[4].data[0], local.tm_mday);
        EXPECT_EQ(frames[5].data[0], local.tm_mon + 1);
        EXPECT_EQ(frames[6].data[0], local.tm_year % 100);
    }
    int sent = frames[2].data[0] * 3600 + frames[1].data[0] * 60 + frames[0].data[0];
    int here = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    EXPECT_LE(std::abs(here - sent) % 86400, 5);
}

struct Pages {
    Bytes page1 = {0xFF, 192, 192, 'A', 'B', 'C', 0xFF, 200, 210, 'x', 'y'};
    Bytes page3 = {0xFF, 193, 194, 'O', 'l', 'a'};
    // A page file with text on pages 1 and 3; the others hold one empty line.
    std::string write(const TempDir& dir) {
        vorelux::testing::RecordingPrompter prompter;
        vorelux::PageStore store;
        auto put = [&](int p, const Bytes& content) {
            std::vector<vorelux::LineStream> lines;
            for (size_t i = 0; i < content.size();) {
                size_t j = i + 1;
                while (j < content.size() && content[j] != 0xFF) ++j;
                lines.emplace_back(content.begin() + long(i), content.begin() + long(j));
                i = j;
            }
            store.setPageLines(p, std::move(lines));
        };
        put(0, page1);
        put(2, page3);
        std::string path = dir.file("menu.vpg");
        writeBytes(path, vorelux::encodePageFile(store.pages(), path));
        return path;
    }
};

TEST_F(CliPty, SendUploadsThePagesWithTextToEachTarget) {
    Pages pages;
    std::string file = pages.write(dir);
    std::string cfg = connCfg(dir, 0, {4, 9});
    // Default: the pages with text, each to every target before the next page.
    expectFrames({"send", file, "--config", cfg},
                 {page(4, 0, pages.page1, true), page(9, 0, pages.page1, true),
                  page(4, 2, pages.page3, false), page(9, 2, pages.page3, false)});
    expectFrames({"send", file, "--pages", "3", "--to", "0"}, {page(0, 2, pages.page3, false)});
}

TEST_F(CliPty, ClearEmptiesThePagesGiven) {
    const Bytes empty{0xFF, 192, 192};
    expectFrames({"clear", "--pages", "2,1", "--to", "5"},
                 {page(5, 0, empty, true), page(5, 1, empty, false)});
}

TEST_F(CliPty, FailuresExitWithTheirReason) {
    Pages pages;
    std::string file = pages.write(dir);
    std::string cfg = connCfg(dir, 3, {4});
    writeBytes(dir.file("short.cfg"), Bytes(10, 0));
    std::string noTargets = connCfg(dir, 3, {});
    std::rename(noTargets.c_str(), dir.file("none.cfg").c_str());
    writeBytes(dir.file("bad.vpg"), Bytes(20, 0));
    writeBytes(dir.file("regular"), Bytes(1, 0));
    writeBytes(dir.file("blank.vpg"), [] {
        vorelux::testing::RecordingPrompter prompter;
        vorelux::PageStore store;
        return vorelux::encodePageFile(store.pages(), "blank.vpg");
    }());
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {.args = {"power", "on", "--to", "4", "--port", "COM77"},
         .exitCode = 3,
         .reason = "Porta COM não selecionada. (COM77 não está instalada"},
        {.args = {"power", "on", "--to", "4", "--port", dir.file("no-such-tty")},
         .exitCode = 3,
         .reason = "não existe"},
        {.args = {"set", "brightness", "9", "--to", "4", "--port", dir.file("regular")},
         .exitCode = 4,
         .reason = "não foi possível abrir ou escrever a porta"},
        {.args = {"power", "on", "--config", dir.file("missing.cfg")},
         .exitCode = 1,
         .reason = "não foi possível ler as configurações de conexão"},
        {.args = {"power", "on", "--config", dir.file("short.cfg")},
         .exitCode = 1,
         .reason = "danificado"},
        {.args = {"power", "on", "--config", dir.file("none.cfg")},
         .exitCode = 1,
         .reason = "nenhum painel de destino"},
        {.args = {"send", dir.file("bad.vpg"), "--to", "4", "--port", pty.slavePath},
         .exitCode = 1,
         .reason = "vorelux send: "},
        {.args = {"send", dir.file("blank.vpg"), "--to", "4", "--port", pty.slavePath},
         .exitCode = 1,
         .reason = "nenhuma página com texto"},
        {.args = {"send", file, "--pages", "2", "--to", "4", "--port", pty.slavePath},
         .exitCode = 1,
         .reason = "nenhuma página enviada"},
        {.args = {"send", file, "--to", "4", "--port", "COM77"},
         .exitCode = 3,
         .reason = "páginas não enviadas: 1, 3"},
        {.args = {"set", "speed", "196", "--to", "4"}, .exitCode = 2, .reason = "0..195"},
        {.args = {"set", "volume", "3", "--to", "4"},
         .exitCode = 2,
         .reason = "configuração desconhecida"},
        {.args = {"set-clock", "--at", "2023-02-30 10:00:00", "--to", "4"},
         .exitCode = 2,
         .reason = "--at"},
        {.args = {"show-pages", "0", "--to", "4"}, .exitCode = 2, .reason = "uso: vorelux"},
        {.args = {"clear", "--to", "4"}, .exitCode = 2, .reason = "uso: vorelux"},
        {.args = {"power", "on", "--to", "4,300", "--port", pty.slavePath},
         .exitCode = 2,
         .reason = "--to"},
        {.args = {"power", "on", "--to", "4", "--port", "tty0"}, .exitCode = 2, .reason = "--port"},
        {.args = {"power", "on", "--to", "4", "--usb", "--port", "COM3"},
         .exitCode = 2,
         .reason = "--usb"},
        {.args = {"power", "on", "--to", "4", "--usb"},
         .exitCode = 5,
         .reason = "Transmissor KQ não encontrado"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        auto r = run(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
    EXPECT_TRUE(drain(pty).empty()) << "nothing reaches a panel after a failure";
}

// A page file holding `lines` lines on page 1, the first with `content`
// content bytes, the others empty.
std::string pageFileWith(const TempDir& dir, const std::string& name, size_t content,
                         size_t lines) {
    vorelux::testing::RecordingPrompter prompter;
    vorelux::PageStore store;
    std::vector<vorelux::LineStream> memory(lines, vorelux::newLine());
    memory[0].resize(3 + content, 'A');
    store.setPageLines(0, std::move(memory));
    std::string path = dir.file(name);
    writeBytes(path, vorelux::encodePageFile(store.pages(), path));
    return path;
}

TEST_F(CliPty, InputsThatAreNoFilesOrTooLargeFailWithoutHanging) {
    const std::string fifo = dir.file("fifo.vpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = dir.file("big.vpg");
    writeBytes(big, {});
    ASSERT_EQ(::truncate(big.c_str(), 2 * 1024 * 1024), 0);
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {.args = {"dump", "/dev/zero"}, .reason = "não é um arquivo comum"},
        {.args = {"dump", fifo}, .reason = "não é um arquivo comum"},
        {.args = {"dump", dir.path.string()}, .reason = "é uma pasta"},
        {.args = {"dump", big}, .reason = "grande demais"},
        {.args = {"send", fifo, "--to", "4", "--port", pty.slavePath},
         .reason = "não é um arquivo comum"},
        {.args = {"power", "on", "--config", "/dev/zero"}, .reason = "não é um arquivo comum"},
        {.args = {"power", "on", "--config", fifo}, .reason = "não é um arquivo comum"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.args));
        auto r = run(c.args);
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
    }
    EXPECT_TRUE(drain(pty).empty());
}

TEST_F(CliPty, PageBudgetHoldsOnLoadAndOnSend) {
    // 1,020 content bytes is the most a page can carry; empty lines may take
    // a page past 1,023 bytes, but no transfer describes more than 2,040.
    const auto full = pageFileWith(dir, "full.vpg", 1020, 1);
    const auto over = pageFileWith(dir, "over.vpg", 1021, 1);
    const auto huge = pageFileWith(dir, "huge.vpg", 65535 - 3, 1);
    const auto tall = pageFileWith(dir, "tall.vpg", 1020, 300);     // 1,920 bytes
    const auto taller = pageFileWith(dir, "taller.vpg", 1020, 341); // 2,043 bytes
    EXPECT_EQ(run({"dump", full}).exitCode, 0);
    EXPECT_EQ(run({"dump", tall}).exitCode, 0);
    for (const auto& file : {over, huge}) {
        auto r = run({"dump", file});
        EXPECT_EQ(r.exitCode, 1) << file;
        EXPECT_NE(r.err.find("mais do que os 1020"), std::string::npos) << r.err;
        r = run({"send", file, "--to", "4", "--port", pty.slavePath, "--dry-run"});
        EXPECT_EQ(r.exitCode, 1) << file;
    }
    auto sent = run({"send", tall, "--to", "4", "--port", pty.slavePath, "--dry-run"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    auto refused = run({"send", taller, "--to", "4", "--port", pty.slavePath});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("A página 1 tem 2043 bytes e não pode ser enviada"),
              std::string::npos)
        << refused.err;
    EXPECT_TRUE(drain(pty).empty()) << "a refused page sends nothing";
}

} // namespace

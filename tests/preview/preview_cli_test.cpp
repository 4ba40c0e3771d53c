// vorelux live, effect, trace, gif and png, run as the real executable.
#include "support/run_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

const std::regex FrameLine("^[0-9]+ [0-9A-F]{128}$");

struct TempDir {
    std::string path = (std::filesystem::temp_directory_path() /
                        ("vorelux-preview-cli-" + std::to_string(::getpid())))
                           .string();
    TempDir() { std::filesystem::create_directories(path); }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

TEST(LiveCommand, PrintsTextStartAndScreen) {
    const ToolResult r = runTool(VORELUX_TOOL, {"live", "9", "--at", "2015-02-19 12:34:56"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], "text QUI 19/02");
    EXPECT_EQ(out[1], "start 3");
    EXPECT_EQ(out[2].substr(0, 16), "screen 00 00 00 ");
    EXPECT_EQ(out[2].size(), 7u + 64 * 3 - 1);
    const ToolResult t = runTool(VORELUX_TOOL, {"live", "19", "--at", "2015-02-19 12:34:56"});
    EXPECT_EQ(lines(t.out).at(0), "text 27ºC");
}

TEST(LiveCommand, RefusesCodesAndMomentsItCannotShow) {
    EXPECT_EQ(runTool(VORELUX_TOOL, {"live", "26", "--at", "2015-02-19 12:34:56"}).exitCode, 1);
    EXPECT_EQ(runTool(VORELUX_TOOL, {"live", "65"}).exitCode, 2);
    const ToolResult bad = runTool(VORELUX_TOOL, {"live", "8", "--at", "2015-02-30 10:00:00"});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("--at"), std::string::npos);
}

TEST(EffectCommand, PrintsOneLinePerFrame) {
    const ToolResult r = runTool(VORELUX_TOOL, {"effect", "entry", "6", "--text", "AA"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 1u);
    ASSERT_TRUE(std::regex_match(out[0], FrameLine)) << out[0];
    // Bold "AA" centred from column 25.
    EXPECT_EQ(out[0].substr(2 + 50, 14), "3F7F48487F3F00");
    const ToolResult exit = runTool(VORELUX_TOOL, {"effect", "exit", "1", "--font", "1"});
    ASSERT_EQ(exit.exitCode, 0) << exit.err;
    EXPECT_EQ(lines(exit.out).size(), 63u);
    EXPECT_EQ(runTool(VORELUX_TOOL, {"effect", "entry", "62"}).exitCode, 2);
    EXPECT_EQ(runTool(VORELUX_TOOL, {"effect", "sideways", "3"}).exitCode, 2);
    EXPECT_EQ(runTool(VORELUX_TOOL, {"effect", "entry", "3", "--font", "5"}).exitCode, 2);
}

TEST(TraceAndGifCommands, PlayAPageFromAFile) {
    TempDir dir;
    const std::string vpg = dir.file("p.vpg");
    ASSERT_EQ(runTool(VORELUX_TOOL, {"make", vpg, "--in", "6", "--out", "6", "AA", "BB"}).exitCode,
              0);
    const ToolResult one =
        runTool(VORELUX_TOOL, {"trace", vpg, "--page", "1", "--at", "2015-02-19 12:34:56"});
    ASSERT_EQ(one.exitCode, 0) << one.err;
    const auto frames = lines(one.out);
    ASSERT_EQ(frames.size(), 8u); // two lines: appear, hold, clear, dark
    for (const auto& f : frames) EXPECT_TRUE(std::regex_match(f, FrameLine)) << f;
    EXPECT_EQ(frames[1].substr(0, 3), "70 ");
    const ToolResult two = runTool(VORELUX_TOOL, {"trace", vpg, "--page", "1", "--rounds", "2"});
    EXPECT_EQ(lines(two.out).size(), 16u);
    EXPECT_EQ(runTool(VORELUX_TOOL, {"trace", vpg, "--page", "2"}).exitCode, 1); // empty page
    EXPECT_EQ(runTool(VORELUX_TOOL, {"trace", vpg, "--page", "9"}).exitCode, 2);
    EXPECT_EQ(runTool(VORELUX_TOOL, {"trace", dir.file("missing.vpg"), "--page", "1"}).exitCode, 1);

    const std::string gif = dir.file("p.gif");
    const ToolResult g =
        runTool(VORELUX_TOOL, {"gif", vpg, "--page", "1", "-o", gif, "--scale", "4"});
    ASSERT_EQ(g.exitCode, 0) << g.err;
    std::ifstream in(gif, std::ios::binary);
    std::string magic(6, '\0');
    in.read(magic.data(), 6);
    EXPECT_EQ(magic, "GIF89a");
    // 2 x (4 + 70 + 4) cycles = 156 cycles = 178 cs.
    EXPECT_NE(g.out.find("156 ciclos, 1.78 s"), std::string::npos) << g.out;
    const std::string none = dir.file("none.gif");
    EXPECT_EQ(runTool(VORELUX_TOOL, {"gif", vpg, "--page", "3", "-o", none}).exitCode, 1);
    EXPECT_FALSE(std::ifstream(none).good());
    EXPECT_EQ(
        runTool(VORELUX_TOOL, {"gif", vpg, "--page", "1", "-o", gif, "--scale", "0"}).exitCode, 2);
    EXPECT_EQ(
        runTool(VORELUX_TOOL, {"gif", vpg, "--page", "1", "-o", gif, "--look", "round"}).exitCode,
        2);

    // Stills: the frame on show at a cycle (the pixels are checked with Pillow).
    const std::string png = dir.file("p.png");
    const ToolResult still =
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "--at-cycle", "40", "-o", png});
    ASSERT_EQ(still.exitCode, 0) << still.err;
    EXPECT_NE(still.out.find("o quadro mostrado desde o ciclo 4"), std::string::npos) << still.out;
    std::ifstream picture(png, std::ios::binary);
    std::string signature(4, '\0');
    picture.read(signature.data(), 4);
    EXPECT_EQ(signature, "\x89PNG");
    // Past the round's 156 cycles: told, nothing written.
    const std::string late = dir.file("late.png");
    const ToolResult past =
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "--at-cycle", "156", "-o", late});
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_NE(past.err.find("156 ciclos"), std::string::npos) << past.err;
    EXPECT_FALSE(std::ifstream(late).good());
    EXPECT_EQ(runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "-o", late}).exitCode, 2);
    EXPECT_EQ(
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "--at-cycle", "-1", "-o", late}).exitCode,
        2);
    EXPECT_EQ(
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "3", "--at-cycle", "0", "-o", late}).exitCode,
        1);
}

// Every name in a folder, hidden ones too: what an export left there.
std::vector<std::string> entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Five long scrolling lines: at 40 pixels per LED, 100 rounds of them make
// a GIF of some 600 MB.
std::string longPage(const TempDir& dir) {
    const std::string vpg = dir.file("long.vpg");
    const std::string text = "ABCDEFGH IJKLMNOP QRSTUVWX YZ 0123456789 abcdefghijklmnopqrstuvwxyz";
    const ToolResult made = runTool(VORELUX_TOOL, {"make", vpg, "--in", "6", "--out", "6", text,
                                                   "Segunda linha com texto longo para rolar",
                                                   "TERCEIRA LINHA", text, text});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    return vpg;
}

TEST(GifCommand, AnExportEstimatedPast500MBNeedsForce) {
    TempDir dir;
    const std::string vpg = longPage(dir);
    const ToolResult r = runTool(VORELUX_TOOL, {"gif", vpg, "--page", "1", "-o", dir.file("a.gif"),
                                                "--scale", "40", "--rounds", "100"});
    EXPECT_EQ(r.exitCode, 1);
    std::smatch estimate;
    ASSERT_TRUE(std::regex_search(r.err, estimate, std::regex("cerca de ([0-9]+) MB"))) << r.err;
    EXPECT_GT(std::stol(estimate[1]), 500) << r.err;
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(entries(dir.path), std::vector<std::string>{"long.vpg"});
}

#ifndef _WIN32

// Ctrl+C or SIGTERM while a large export is written (--force lets it
// start): the temporary file goes, and the signal still ends the tool.
TEST(GifCommand, AnInterruptedExportLeavesNoFileBehind) {
    TempDir dir;
    const std::string vpg = longPage(dir);
    const std::string gif = dir.file("a.gif");
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t child = ::fork();
        if (child == 0) {
            // As from a terminal, even when the tests run in a background job.
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
            const int quiet = ::open("/dev/null", O_WRONLY);
            ::dup2(quiet, 1);
            ::dup2(quiet, 2);
            ::execl(VORELUX_TOOL, VORELUX_TOOL, "gif", vpg.c_str(), "--page", "1", "-o",
                    gif.c_str(), "--scale", "40", "--rounds", "100", "--force", nullptr);
            ::_exit(127);
        }
        ASSERT_GT(child, 0);
        // The export is running once its temporary file is there.
        bool writing = false;
        for (int i = 0; i < 600 && !writing; ++i) {
            writing = entries(dir.path).size() > 1;
            if (!writing) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(writing) << "the export never started";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(entries(dir.path), std::vector<std::string>{"long.vpg"}) << signal;
    }
}

TEST(GifCommand, APipeIsRefusedAndLeftAsItWas) {
    TempDir dir;
    const std::string vpg = dir.file("p.vpg");
    ASSERT_EQ(runTool(VORELUX_TOOL, {"make", vpg, "AA"}).exitCode, 0);
    const std::string pipe = dir.file("pipe.gif");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const ToolResult r = runTool(VORELUX_TOOL, {"gif", vpg, "--page", "1", "-o", pipe});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("não é um arquivo comum"), std::string::npos) << r.err;
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(entries(dir.path), (std::vector<std::string>{"p.vpg", "pipe.gif"}));
}

#endif

} // namespace

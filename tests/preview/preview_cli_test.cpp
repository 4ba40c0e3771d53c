// vorelux live, effect, trace, gif and png, run as the real executable.
#include "support/run_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>
#include <vector>

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
    EXPECT_NE(g.out.find("156 cycles, 1.78 s"), std::string::npos) << g.out;
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
    EXPECT_NE(still.out.find("the frame shown from cycle 4"), std::string::npos) << still.out;
    std::ifstream picture(png, std::ios::binary);
    std::string signature(4, '\0');
    picture.read(signature.data(), 4);
    EXPECT_EQ(signature, "\x89PNG");
    // Past the round's 156 cycles: told, nothing written.
    const std::string late = dir.file("late.png");
    const ToolResult past =
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "--at-cycle", "156", "-o", late});
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_NE(past.err.find("156 cycles"), std::string::npos) << past.err;
    EXPECT_FALSE(std::ifstream(late).good());
    EXPECT_EQ(runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "-o", late}).exitCode, 2);
    EXPECT_EQ(
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "1", "--at-cycle", "-1", "-o", late}).exitCode,
        2);
    EXPECT_EQ(
        runTool(VORELUX_TOOL, {"png", vpg, "--page", "3", "--at-cycle", "0", "-o", late}).exitCode,
        1);
}

} // namespace

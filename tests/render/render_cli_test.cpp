// vorelux glyph, drawing, canvas and glyphs, run as the real executable.
#include "files/file_io.h"
#include "files/page_file.h"
#include "support/run_tool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace {

using namespace vorelux;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

struct Case {
    std::initializer_list<std::string> args;
    int exitCode;
    const char* out;
};

TEST(GlyphCommands, PrintLastColumnAndColumns) {
    const Case cases[] = {
        {.args = {"glyph", "0", "65"}, .exitCode = 0, .out = "4 3F 48 48 3F 00\n"},
        {.args = {"glyph", "3", "65"},
         .exitCode = 0,
         .out = "13 3F 3F 7F 7F 48 48 48 48 7F 7F 3F 3F 00 00\n"},
        {.args = {"glyph", "5", "2"}, .exitCode = 0, .out = "7 1C 3E 57 53 73 22 22 00\n"},
        {.args = {"glyph", "0", "4"},
         .exitCode = 0,
         .out = "0 00\n"}, // no glyph: lastGlyphColumn as it was, blank
        {.args = {"drawing", "211"}, .exitCode = 0, .out = "6 18 18 7F 7F 18 18 00\n"},
        {.args = {"drawing", "1"}, .exitCode = 0, .out = "0 00\n"},
        {.args = {"glyph", "0", "256"}, .exitCode = 2, .out = ""},
        {.args = {"glyph", "x", "1"}, .exitCode = 2, .out = ""},
        {.args = {"drawing"}, .exitCode = 2, .out = ""},
        {.args = {"drawing", "-1"}, .exitCode = 2, .out = ""},
    };
    for (const auto& c : cases) {
        const ToolResult r = runTool(VORELUX_TOOL, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << *c.args.begin() << " " << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

class CanvasCommand : public ::testing::Test {
  protected:
    std::string dir = (std::filesystem::temp_directory_path() /
                       ("vorelux-render-cli-" + std::to_string(::getpid())))
                          .string();
    std::string file = dir + "/lines.vpg";
    void SetUp() override {
        std::filesystem::create_directories(dir);
        std::array<Page, PageCount> pages;
        pages[1] = Page({{0xFF, 192, 192, 'A'}, {0xFF, 201, 192, 'B', 31, 12, 'C'}});
        std::string error;
        ASSERT_TRUE(writeWholeFileSafely(file, encodePageFile(pages, file), error)) << error;
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
};

TEST_F(CanvasCommand, PrintsScreenMapAndCursorAndWritesTheImage) {
    const std::string png = dir + "/canvas.png";
    const ToolResult r = runTool(
        VORELUX_TOOL, {"canvas", file, "--page", "2", "--line", "1", "--cursor", "3", "-o", png});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].substr(0, 7 + 15 * 3), "screen 01 01 21 7D 01 01 01 00 3F 7F 48 48 7F 3F 00 ");
    EXPECT_EQ(out[0].size(), 7u + 64 * 3 - 1);
    EXPECT_EQ(out[1], "map 7 14");
    EXPECT_EQ(out[2], "cursor 14");
    std::vector<uint8_t> data;
    std::string error;
    ASSERT_TRUE(readWholeFile(png, data, error, PageFileSizeLimit * 16)) << error;
    ASSERT_GT(data.size(), 24u);
    EXPECT_EQ(std::string(data.begin() + 1, data.begin() + 4), "PNG");
    EXPECT_EQ(data[16] * 16777216 + data[17] * 65536 + data[18] * 256 + data[19], 641);
    EXPECT_EQ(data[20] * 16777216 + data[21] * 65536 + data[22] * 256 + data[23], 71);
}

TEST_F(CanvasCommand, DrawingPairIsOneCursorStep) {
    const ToolResult r =
        runTool(VORELUX_TOOL, {"canvas", file, "--page", "2", "--line", "2", "--cursor", "5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(lines(r.out).at(1), "map 7 14 0 22 29");
    EXPECT_EQ(lines(r.out).at(2), "cursor 22");
}

TEST_F(CanvasCommand, RefusesWhatIsNotThere) {
    const Case cases[] = {
        {.args = {"canvas", file, "--page", "9", "--line", "1", "--cursor", "2"},
         .exitCode = 2,
         .out = ""},
        {.args = {"canvas", file, "--page", "2", "--line", "3", "--cursor", "2"},
         .exitCode = 2,
         .out = ""},
        {.args = {"canvas", file, "--page", "2", "--line", "1", "--cursor", "4"},
         .exitCode = 2,
         .out = ""},
        {.args = {"canvas", file, "--page", "2", "--line", "2", "--cursor", "4"},
         .exitCode = 2,
         .out = ""}, // an escape
        {.args = {"canvas", file + ".missing", "--page", "1", "--line", "1", "--cursor", "2"},
         .exitCode = 1,
         .out = ""},
        {.args = {"canvas", file, "--page", "1"}, .exitCode = 2, .out = ""},
    };
    for (const auto& c : cases) {
        const ToolResult r = runTool(VORELUX_TOOL, c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_FALSE(r.err.empty());
    }
}

TEST(GlyphsCommand, WritesTheSheetFromCompleteArt) {
    const std::string png = (std::filesystem::temp_directory_path() /
                             ("vorelux-render-sheet-" + std::to_string(::getpid()) + ".png"))
                                .string();
    const ToolResult r = runTool(VORELUX_TOOL, {"glyphs", "-o", png});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.err, "") << "the art has problems";
    std::vector<uint8_t> data;
    std::string error;
    EXPECT_TRUE(readWholeFile(png, data, error, PageFileSizeLimit * 16)) << error;
    std::remove(png.c_str());
    EXPECT_EQ(runTool(VORELUX_TOOL, {"glyphs"}).exitCode, 2);
}

} // namespace

#include "files/file_io.h"
#include "model/native_path.h"
#include "support/run_tool.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

TEST(ToolMakeDump, MakeWritesWhatDumpReads) {
    TempDir dir;
    auto made = runTool(VORELUX_TOOL, {"make", dir.file("a.vpg"), "--page", "2", "--in", "12",
                                       "--out", "61", "Olá\tmundo", "¿"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    auto bytes = readBytes(dir.file("a.vpg"));
    ASSERT_GT(bytes.size(), 48u);
    // page 2's block follows page 1's 32-byte block; "Olá" is 79 108 160, the tab is code 9
    const std::vector<uint8_t> line1{0xFF, 203, 252, 79, 108, 160, 9, 'm', 'u', 'n', 'd', 'o'};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 64, bytes.begin() + 64 + 12), line1);

    auto dumped = runTool(VORELUX_TOOL, {"dump", dir.file("a.vpg")});
    ASSERT_EQ(dumped.exitCode, 0);
    EXPECT_NE(dumped.out.find("página 2: 2 linhas"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("entrada 12  saída 61  \"Olá{Dia da semana com Data}mundo\""),
              std::string::npos)
        << dumped.out;
    EXPECT_NE(dumped.out.find("\" \""), std::string::npos) << "unknown character becomes a space";
}

// A file name with accents reaches the system whole (on Windows through the
// wide command line and wide paths, never the ANSI code page).
TEST(ToolMakeDump, AccentedFileNamesAreWrittenAndReadBack) {
    TempDir dir;
    const std::string file = vorelux::utf8Path(dir.path / vorelux::nativePath("promoção.vpg"));
    auto made = runTool(VORELUX_TOOL, {"make", file, "Promoção"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(vorelux::nativePath(file)));
    std::vector<uint8_t> data;
    std::string error;
    ASSERT_TRUE(vorelux::readWholeFile(file, data, error, vorelux::PageFileSizeLimit)) << error;
    EXPECT_EQ(std::string(data.begin(), data.begin() + 3), ".vp") << "the extension as stored";

    auto dumped = runTool(VORELUX_TOOL, {"dump", file});
    ASSERT_EQ(dumped.exitCode, 0) << dumped.err;
    EXPECT_NE(dumped.out.find("\"Promoção\""), std::string::npos) << dumped.out;
    auto missing = runTool(VORELUX_TOOL,
                           {"dump", vorelux::utf8Path(dir.path / vorelux::nativePath("ação.vpg"))});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("ação.vpg"), std::string::npos) << missing.err;
}

TEST(ToolMakeDump, FailuresExitWithAReason) {
    TempDir dir;
    std::string tooLong(1100, 'x');
    auto overflow = runTool(VORELUX_TOOL, {"make", dir.file("b.vpg"), tooLong});
    EXPECT_EQ(overflow.exitCode, 1);
    EXPECT_NE(overflow.err.find("Nada foi gravado"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.vpg")));

    writeBytes(dir.file("bad.vpg"), std::vector<uint8_t>(20, 0));
    auto damaged = runTool(VORELUX_TOOL, {"dump", dir.file("bad.vpg")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("danificado"), std::string::npos);
    EXPECT_TRUE(damaged.out.empty());
}

#include "files/page_file.h"
#include "support/page_edits.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace vorelux;

namespace {

struct PageFileTest : ::testing::Test {
    PageStore store;
    TempDir dir;

    void typeStartupLine() {
        for (char c : std::string("ARDENCORE ")) test::appendToEditLine(store, uint8_t(c));
    }
};

} // namespace

TEST_F(PageFileTest, StartupStateSavesAsThe272ByteFile) {
    typeStartupLine();
    store.setModified(true);
    std::string error;
    ASSERT_EQ(savePageFile(store, dir.file("a.vpg"), 255, error), SaveOutcome::Saved) << error;
    auto bytes = readBytes(dir.file("a.vpg"));
    ASSERT_EQ(bytes.size(), 272u);
    const std::vector<uint8_t> header{'.', 'v', 'p', ' ', 'v', '1', 0, 0,
                                      0,   64,  0,   7,   0,   0,   0, 'A'};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16), header);
    EXPECT_EQ(bytes[16], 'M');
    EXPECT_EQ(bytes[16 + 8], 0x00);
    EXPECT_EQ(bytes[16 + 9], 0x0D);
    EXPECT_EQ(bytes[48], 'M');
    EXPECT_EQ(bytes[48 + 2], 1); // page index
    EXPECT_EQ(bytes[48 + 9], 3);
    EXPECT_FALSE(store.isModified());
}

TEST_F(PageFileTest, BlocksArePaddedToSixteen) {
    struct Case {
        size_t lineBytes;
        size_t blockSize;
    } cases[] = {{.lineBytes = 32, .blockSize = 16 + 32},
                 {.lineBytes = 33, .blockSize = 16 + 48},
                 {.lineBytes = 3, .blockSize = 16 + 16}};
    for (const auto& c : cases) {
        LineStream line = store.editLine();
        line.resize(c.lineBytes, 'x');
        test::setEditLine(store, line);
        auto bytes = encodePageFile(store.pages(), "p.vpg", 255);
        EXPECT_EQ(bytes.size(), 16 + c.blockSize + 7 * 32) << c.lineBytes;
        test::setEditLine(store, newLine());
    }
}

TEST_F(PageFileTest, OpenAndSaveAgainWritesIdenticalBytes) {
    typeStartupLine();
    store.insertLine(0, 1);
    store.replaceLine(0, 1, {0xFF, 200, 252, 0, 'X', 31, 60, 8});
    store.replaceLine(5, 0, {0xFF, 195, 192, 'Z'});
    std::string error;
    ASSERT_EQ(savePageFile(store, dir.file("a.vpg"), 255, error), SaveOutcome::Saved);
    PageStore other;
    ASSERT_TRUE(loadPageFile(other, dir.file("a.vpg"), 255, error)) << error;
    EXPECT_EQ(other.page(0).lines(), store.page(0).lines());
    EXPECT_EQ(other.page(5).lines(), store.page(5).lines());
    ASSERT_EQ(savePageFile(other, dir.file("b.vpg"), 255, error), SaveOutcome::Saved);
    EXPECT_EQ(readBytes(dir.file("a.vpg")), readBytes(dir.file("b.vpg")));
}

TEST_F(PageFileTest, LoadingMakesPageOneCurrentAndClearsModified) {
    std::string error;
    test::appendToLine(store, 2, 0, 'Q');
    ASSERT_EQ(savePageFile(store, dir.file("a.vpg"), 255, error), SaveOutcome::Saved);
    store.setCurrentPage(2);
    store.setEditLine(0);
    store.setModified(true);
    ASSERT_TRUE(loadPageFile(store, dir.file("a.vpg"), 255, error));
    EXPECT_EQ(store.currentPage(), 0);
    EXPECT_FALSE(store.isModified());
    EXPECT_EQ(store.view().cursorByte, 2);
    EXPECT_EQ(store.page(2).lines()[0].back(), 'Q');
}

TEST_F(PageFileTest, DamagedFilesChangeNothing) {
    typeStartupLine();
    std::string error;
    ASSERT_EQ(savePageFile(store, dir.file("good.vpg"), 255, error), SaveOutcome::Saved);
    const auto good = readBytes(dir.file("good.vpg"));

    auto truncated = good;
    truncated.resize(100); // page 3 onwards missing
    auto overlong = good;
    overlong[16 + 32 + 9] = 200; // page 2 claims more bytes than the file holds
    auto noMarker = good;
    noMarker[16 + 32 + 16] = 0x41; // page 2 data does not start a line
    auto emptyBlock = good;
    emptyBlock[16 + 32 + 9] = 0; // page 2 without lines
    auto badEffect = good;
    badEffect[16 + 16 + 1] = 5; // page 1 line with an impossible entry effect
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"truncated", truncated}, {"overlong", overlong}, {"nomarker", noMarker},
        {"empty", emptyBlock},    {"effect", badEffect},  {"tiny", {1, 2, 3}}};

    test::appendToLine(store, 1, 0, 'K');
    store.setModified(true);
    const auto before = store.pages();
    for (const auto& [name, bytes] : cases) {
        writeBytes(dir.file(name), bytes);
        error.clear();
        EXPECT_FALSE(loadPageFile(store, dir.file(name), 255, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
        EXPECT_NE(error.find("Nada foi alterado"), std::string::npos) << error;
        for (int p = 0; p < PageCount; ++p) EXPECT_EQ(store.page(p).lines(), before[p].lines());
        EXPECT_TRUE(store.isModified());
    }
    EXPECT_FALSE(loadPageFile(store, dir.file("missing.vpg"), 255, error));
    EXPECT_FALSE(loadPageFile(store, dir.path.string(), 255, error)); // a folder
}

TEST_F(PageFileTest, ContentPastTheBudgetMakesTheFileUnreadable) {
    // 1,020 content bytes besides the line headers is the most an edited page
    // holds; empty lines may take the page past 1,023 bytes.
    struct Case {
        size_t content;
        size_t emptyLines;
        bool readable;
    };
    const Case cases[] = {
        {.content = 1020, .emptyLines = 0, .readable = true},
        {.content = 1020, .emptyLines = 200, .readable = true},
        {.content = 1021, .emptyLines = 0, .readable = false},
        {.content = 65532, .emptyLines = 0, .readable = false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        PageStore source;
        std::vector<LineStream> memory(1 + c.emptyLines, newLine());
        memory[0].resize(3 + c.content, 'W');
        source.setPageLines(2, std::move(memory));
        writeBytes(dir.file("budget.vpg"), encodePageFile(source.pages(), "budget.vpg"));
        std::string error;
        EXPECT_EQ(loadPageFile(store, dir.file("budget.vpg"), 255, error), c.readable) << error;
        if (!c.readable) {
            EXPECT_EQ(error, "Não foi possível abrir \"budget.vpg\": o arquivo está danificado "
                             "(a página 3 tem " +
                                 std::to_string(c.content) +
                                 " caracteres, mais do que os 1020 que uma página comporta). "
                                 "Nada foi alterado.");
        }
    }
}

TEST_F(PageFileTest, APageTooLongForItsBlockLengthIsNotSaved) {
    std::string error;
    ASSERT_EQ(savePageFile(store, dir.file("a.vpg"), 255, error), SaveOutcome::Saved);
    const auto previous = readBytes(dir.file("a.vpg"));
    store.setPageLines(4, std::vector<LineStream>(21846, newLine())); // 65,538 bytes of empty lines
    store.setModified(true);
    EXPECT_EQ(savePageFile(store, dir.file("a.vpg"), 255, error), SaveOutcome::Failed);
    EXPECT_NE(error.find("a página 5 tem linhas demais (65538 bytes"), std::string::npos) << error;
    EXPECT_TRUE(store.isModified());
    EXPECT_EQ(readBytes(dir.file("a.vpg")), previous);
}

TEST_F(PageFileTest, FailedSaveKeepsThePreviousFileAndModified) {
    std::string error;
    ASSERT_EQ(savePageFile(store, dir.file("a.vpg"), 255, error), SaveOutcome::Saved);
    const auto previous = readBytes(dir.file("a.vpg"));
    test::appendToEditLine(store, 'N');
    store.setModified(true);
    EXPECT_EQ(savePageFile(store, dir.file("no/such/folder/a.vpg"), 255, error),
              SaveOutcome::Failed);
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(store.isModified());
    EXPECT_EQ(readBytes(dir.file("a.vpg")), previous);
}

TEST(PageFileName, ExtensionIsAlwaysVpg) {
    EXPECT_EQ(withPageFileExtension("/x/y/x.txt"), "/x/y/x.vpg");
    EXPECT_EQ(withPageFileExtension("/x/y/noext"), "/x/y/noext.vpg");
    EXPECT_EQ(withPageFileExtension("/x/a.b/c.VPG"), "/x/a.b/c.vpg");
}

// Two editors on one file: the second save is told that the first one wrote
// it meanwhile, and overwrites it only when asked to.
TEST_F(PageFileTest, SaveOverAFileChangedSinceItWasOpenedIsReported) {
    typeStartupLine();
    std::string error;
    const std::string path = dir.file("shared.vpg");
    ASSERT_EQ(savePageFile(store, path, 255, error), SaveOutcome::Saved) << error;
    PageStore first, second;
    ASSERT_TRUE(loadPageFile(first, path, 255, error)) << error;
    ASSERT_TRUE(loadPageFile(second, path, 255, error)) << error;

    test::appendToEditLine(first, '1');
    first.setModified(true);
    ASSERT_EQ(savePageFile(first, path, 255, error), SaveOutcome::Saved) << error;
    const auto firstBytes = readBytes(path);

    test::appendToEditLine(second, '2');
    second.setModified(true);
    EXPECT_EQ(savePageFile(second, path, 255, error), SaveOutcome::ChangedOnDisk);
    EXPECT_NE(error.find("\"shared.vpg\" foi alterado por outro programa"), std::string::npos)
        << error;
    EXPECT_EQ(readBytes(path), firstBytes);
    EXPECT_TRUE(second.isModified());

    ASSERT_EQ(savePageFile(second, path, 255, error, IfChangedOnDisk::Overwrite),
              SaveOutcome::Saved)
        << error;
    EXPECT_FALSE(second.isModified());
    EXPECT_NE(readBytes(path), firstBytes);
    // Its own save is no change by someone else.
    test::appendToEditLine(second, '3');
    EXPECT_EQ(savePageFile(second, path, 255, error), SaveOutcome::Saved) << error;
    // The first editor now meets the second one's file.
    EXPECT_EQ(savePageFile(first, path, 255, error), SaveOutcome::ChangedOnDisk);
}

// Same size, written in place: the modification time (to the nanosecond) or
// the inode still tells. A file saved under another name, or one that is
// gone, has nothing of someone else's to lose.
TEST_F(PageFileTest, ChangeOnDiskIsSeenOnlyForTheFileTheStoreMet) {
    typeStartupLine();
    std::string error;
    const std::string path = dir.file("a.vpg");
    ASSERT_EQ(savePageFile(store, path, 255, error), SaveOutcome::Saved) << error;
    auto bytes = readBytes(path);
    bytes.back() ^= 1;
    {
        std::fstream inPlace(path, std::ios::in | std::ios::out | std::ios::binary);
        inPlace.seekp(std::streamoff(bytes.size() - 1));
        inPlace.put(char(bytes.back()));
    }
    EXPECT_EQ(savePageFile(store, path, 255, error), SaveOutcome::ChangedOnDisk);
    EXPECT_EQ(savePageFile(store, dir.file("b.vpg"), 255, error), SaveOutcome::Saved) << error;
    ASSERT_EQ(::unlink(dir.file("b.vpg").c_str()), 0);
    EXPECT_EQ(savePageFile(store, dir.file("b.vpg"), 255, error), SaveOutcome::Saved) << error;
}

#include "files/conn_cfg.h"
#include "files/last_file.h"
#include "support/recording_prompter.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace vorelux;
using vorelux::testing::RecordingPrompter;

TEST(ConnCfg, EncodesHeaderAndTargetList) {
    ConnectionSettings cfg;
    cfg.transport = Transport::Transmitter;
    cfg.portNumber = 300; // stored as its low 8 bits
    cfg.displayPageSelector = 2;
    cfg.daylightSaving = 0x11;
    cfg.targetPanels = {0, 3, 7};
    auto bytes = encodeConnCfg(cfg);
    std::vector<uint8_t> expected(16, 0);
    expected[0] = 1;
    expected[1] = 44;
    expected[2] = 2;
    expected[3] = 0x11;
    expected.insert(expected.end(), {0, 3, 7});
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(encodeConnCfg(ConnectionSettings{}), std::vector<uint8_t>(16, 0));
}

TEST(ConnCfg, ReadingKeepsTheLinkModeAndTakesTheRest) {
    TempDir dir;
    std::vector<uint8_t> file(16, 0);
    file[0] = 1; // written in USB mode
    file[1] = 12;
    file[3] = 0x10;
    writeBytes(dir.file("conn.cfg"), file);
    RecordingPrompter prompter;
    ConnectionSettings cfg;
    cfg.targetPanels = {9};
    readConnCfg(dir.file("conn.cfg"), cfg, prompter);
    EXPECT_EQ(cfg.transport, Transport::Serial);
    EXPECT_EQ(cfg.portNumber, 12);
    EXPECT_EQ(cfg.daylightSaving, 0x10);
    EXPECT_TRUE(cfg.targetPanels.empty());
    EXPECT_TRUE(prompter.prompts.empty());
}

TEST(ConnCfg, MissingOrDamagedFileAsksAndIsWrittenAnew) {
    for (bool present : {false, true}) {
        TempDir dir;
        if (present) writeBytes(dir.file("conn.cfg"), {0, 5, 1}); // shorter than its header
        RecordingPrompter prompter;
        prompter.answers = {ButtonNo};
        ConnectionSettings cfg;
        cfg.portNumber = 4;
        readConnCfg(dir.file("conn.cfg"), cfg, prompter);
        EXPECT_EQ(prompter.prompts, std::vector<unsigned>{10});
        EXPECT_EQ(cfg.portNumber, 4);
        auto written = readBytes(dir.file("conn.cfg"));
        ASSERT_EQ(written.size(), 16u);
        EXPECT_EQ(written[1], 4);
    }
}

TEST(LastFile, OnlyAnExistingFileIsReopened) {
    TempDir dir;
    const std::string memory = dir.file("ult_arq.txt");
    EXPECT_EQ(readLastFile(memory), ""); // no memory yet
    writeBytes(memory, {});
    EXPECT_EQ(readLastFile(memory), ""); // empty memory
    ASSERT_TRUE(writeLastFile(memory, dir.file("gone.vpg")));
    EXPECT_EQ(readLastFile(memory), "");
    writeBytes(dir.file("here.vpg"), {1});
    ASSERT_TRUE(writeLastFile(memory, dir.file("here.vpg")));
    EXPECT_EQ(readLastFile(memory), dir.file("here.vpg"));
    ASSERT_TRUE(writeLastFile(memory, ""));
    EXPECT_EQ(readBytes(memory), (std::vector<uint8_t>{'\r', '\n'}));
}

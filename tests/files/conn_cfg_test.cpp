#include "files/conn_cfg.h"
#include "files/last_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <optional>
#include <unistd.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace vorelux;

TEST(ConnCfg, EncodesHeaderAndTargetList) {
    ConnectionSettings cfg;
    cfg.transport = Transport::Transmitter;
    cfg.portNumber = 300; // stored as its low 8 bits
    cfg.displayPageSelector = 2;
    cfg.daylightSaving = 0x11;
    cfg.targetPanels = {3, 7};
    auto bytes = encodeConnCfg(cfg);
    std::vector<uint8_t> expected(16, 0);
    expected[0] = 1;
    expected[1] = 44;
    expected[2] = 2;
    expected[3] = 0x11;
    expected.insert(expected.end(), {3, 7});
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
    ConnectionSettings cfg;
    cfg.targetPanels = {9};
    const auto result = readConnCfg(dir.file("conn.cfg"), cfg);
    EXPECT_EQ(cfg.transport, Transport::Serial);
    EXPECT_EQ(cfg.portNumber, 12);
    EXPECT_EQ(cfg.daylightSaving, 0x10);
    EXPECT_TRUE(cfg.targetPanels.empty());
    EXPECT_EQ(result.status, ConnCfgReadResult::Status::Loaded);
    EXPECT_EQ(result.message, "");
}

TEST(ConnCfg, MissingEmptyOrDamagedFileIsWrittenAnewAndOnlyDamageIsUnreadable) {
    using Status = ConnCfgReadResult::Status;
    struct Case {
        std::optional<std::vector<uint8_t>> stored;
        Status status;
    };
    // No file and the empty file of a portable copy are a first start.
    const Case cases[] = {{std::nullopt, Status::Created},
                          {std::vector<uint8_t>{}, Status::Created},
                          {std::vector<uint8_t>{0, 5, 1}, Status::Unreadable}};
    for (const Case& c : cases) {
        TempDir dir;
        if (c.stored) writeBytes(dir.file("conn.cfg"), *c.stored);
        ConnectionSettings cfg;
        cfg.portNumber = 4;
        const auto result = readConnCfg(dir.file("conn.cfg"), cfg);
        EXPECT_EQ(result.status, c.status);
        EXPECT_EQ(result.message, "") << "written anew without trouble";
        EXPECT_EQ(cfg.portNumber, 4);
        auto written = readBytes(dir.file("conn.cfg"));
        ASSERT_EQ(written.size(), 16u);
        EXPECT_EQ(written[1], 4);
    }
}

TEST(ConnCfg, TargetListIsAscendingEachPanelOnceEveryPanelAlone) {
    struct Case {
        std::vector<uint8_t> stored, read;
    };
    const Case cases[] = {
        {{}, {}},
        {{5}, {5}},
        {{1, 2, 255}, {1, 2, 255}},
        {{7, 3}, {3, 7}},
        {{3, 3, 3}, {3}},
        {{3, 1, 3, 2, 2, 255}, {1, 2, 3, 255}},
        {{0}, {0}},
        {{0, 0}, {0}},
        {{0, 3, 7}, {0}},
        {{3, 1, 3, 2, 2, 0, 255}, {0}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> file = c.stored;
        file.insert(file.begin(), 16, 0); // an empty header before the list
        ConnectionSettings cfg;
        ASSERT_TRUE(decodeConnCfg(file, cfg));
        EXPECT_EQ(cfg.targetPanels, c.read) << "read " << ::testing::PrintToString(c.stored);
        // Written the same way, whatever the list held in memory.
        cfg.targetPanels = c.stored;
        const auto bytes = encodeConnCfg(cfg);
        EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16, bytes.end()), c.read)
            << "written " << ::testing::PrintToString(c.stored);
    }
}

// Two editors on one settings file, each changing its own field: both changes stay.
TEST(ConnCfg, WritersChangingDifferentFieldsBothSurvive) {
    TempDir dir;
    const std::string path = dir.file("conn.cfg");
    ConnectionSettings first, second;
    writeBytes(path, std::vector<uint8_t>(16, 0));
    ASSERT_EQ(readConnCfg(path, first).status, ConnCfgReadResult::Status::Loaded);
    ASSERT_EQ(readConnCfg(path, second).status, ConnCfgReadResult::Status::Loaded);

    first.portNumber = 7;
    std::string error;
    ASSERT_TRUE(writeConnCfg(path, first, ConnCfgPort, error)) << error;
    second.targetPanels = {4, 2};
    ASSERT_TRUE(writeConnCfg(path, second, ConnCfgTargets, error)) << error;
    first.daylightSaving = DaylightSavingWarn;
    ASSERT_TRUE(writeConnCfg(path, first, ConnCfgDaylightSaving, error)) << error;
    second.displayPageSelector = 3;
    ASSERT_TRUE(writeConnCfg(path, second, ConnCfgDisplayPage, error)) << error;

    ConnectionSettings now;
    EXPECT_EQ(readConnCfg(path, now).status, ConnCfgReadResult::Status::Loaded);
    EXPECT_EQ(now.portNumber, 7);
    EXPECT_EQ(now.targetPanels, (std::vector<uint8_t>{2, 4}));
    EXPECT_EQ(now.daylightSaving, DaylightSavingWarn);
    EXPECT_EQ(now.displayPageSelector, 3);
}

#ifndef _WIN32 // owners and permission bits

// Settings another user could have planted are not believed, nor written over.
TEST(ConnCfg, FileOthersMayWriteIsIgnoredWithItsNameAndWhy) {
    for (mode_t mode : {mode_t(0664), mode_t(0646)}) {
        TempDir dir;
        const std::string path = dir.file("conn.cfg");
        std::vector<uint8_t> file(16, 0);
        file[1] = 9;
        file.push_back(5);
        writeBytes(path, file);
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        ConnectionSettings cfg;
        cfg.portNumber = 2;
        const auto result = readConnCfg(path, cfg);
        EXPECT_EQ(cfg.portNumber, 2);
        EXPECT_TRUE(cfg.targetPanels.empty());
        EXPECT_EQ(result.status, ConnCfgReadResult::Status::Untrusted);
        EXPECT_NE(result.message.find(path), std::string::npos) << result.message;
        EXPECT_NE(result.message.find("pode ser alterado por outros usuários"), std::string::npos)
            << result.message;
        std::string error;
        EXPECT_FALSE(writeConnCfg(path, cfg, ConnCfgPort, error));
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(readBytes(path), file);
    }
}

TEST(ConnCfg, TrustedOnlyWhenNoOneElseMayWriteIt) {
    TempDir dir;
    const std::string path = dir.file("conn.cfg");
    EXPECT_EQ(fileTrustProblem(path), "");        // missing: nothing to distrust
    EXPECT_EQ(fileTrustProblem("/dev/null"), ""); // not a file: the reader refuses it
    writeBytes(path, std::vector<uint8_t>(16, 0));
    const std::pair<mode_t, bool> modes[] = {{0600, true},  {0644, true},  {0444, true},
                                             {0640, true},  {0620, false}, {0602, false},
                                             {0666, false}, {0777, false}};
    for (const auto& [mode, trusted] : modes) {
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
        EXPECT_EQ(fileTrustProblem(path).empty(), trusted) << std::oct << mode;
    }
    if (::geteuid() == 0) {
        // Root may hand the file to someone else: then it is not ours.
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
        ASSERT_EQ(::chown(path.c_str(), 12345, 12345), 0);
        EXPECT_NE(fileTrustProblem(path).find("outro usuário"), std::string::npos);
    }
}

// Under a umask of 002 a new file would come out group-writable, and then be
// ignored at the next start: the editor keeps its own settings file private.
TEST(ConnCfg, WrittenFileIsNeverWritableByOthers) {
    TempDir dir;
    const std::string path = dir.file("conn.cfg");
    const mode_t old = ::umask(002);
    ConnectionSettings cfg;
    cfg.portNumber = 3;
    std::string error;
    const bool written = writeConnCfg(path, cfg, ConnCfgAllFields, error);
    ::umask(old);
    ASSERT_TRUE(written) << error;
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 022, 0u);
    EXPECT_EQ(fileTrustProblem(path), "");
}

#endif

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

TEST(ConnectionSettingsStore, ListenersHearEachChangeOnceItIsMade) {
    ConnectionSettingsStore store;
    std::vector<int32_t> heardPorts;
    const int id = store.addListener([&](const ConnectionSettings& now) {
        EXPECT_EQ(&now, &store.get()) << "told after the change, with the settings held";
        heardPorts.push_back(now.portNumber);
    });
    store.setPortNumber(5);
    store.setPortNumber(5); // nothing changes: nobody is told
    store.update([](ConnectionSettings& s) {
        s.portNumber = 9;
        s.transport = Transport::Transmitter;
    });
    store.update([](ConnectionSettings&) {});
    EXPECT_EQ(heardPorts, (std::vector<int32_t>{5, 9}));
    EXPECT_EQ(store.get().transport, Transport::Transmitter);

    // Each named setter changes its own field and is heard.
    struct Case {
        const char* field;
        std::function<void()> set;
        std::function<bool(const ConnectionSettings&)> holds;
    };
    const std::vector<Case> cases{
        {"transport", [&] { store.setTransport(Transport::Serial); },
         [](const auto& s) { return s.transport == Transport::Serial; }},
        {"targets",
         [&] {
             store.setTargetPanels({3, 7});
         },
         [](const auto& s) {
             return s.targetPanels == std::vector<uint8_t>{3, 7};
         }},
        {"selector", [&] { store.setDisplayPageSelector(4); },
         [](const auto& s) { return s.displayPageSelector == 4; }},
        {"pages by hour",
         [&] {
             std::array<PageByHour, 12> byHour{};
             byHour[2] = {1, 8, 30};
             store.setPagesByHour(byHour);
         },
         [](const auto& s) {
             return s.pagesByHour[2] == PageByHour{1, 8, 30};
         }},
        {"identity",
         [&] {
             store.setTransmitterIdentity({0xFF, 1, 2, 3, 4, 5, 0x32, 28});
         },
         [](const auto& s) { return s.transmitterIdentity[6] == 0x32; }},
        {"daylight saving", [&] { store.setDaylightSaving(DaylightSavingWarn); },
         [](const auto& s) { return s.daylightSaving == DaylightSavingWarn; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const size_t before = heardPorts.size();
        c.set();
        EXPECT_TRUE(c.holds(store.get()));
        EXPECT_EQ(heardPorts.size(), before + 1);
    }

    store.removeListener(id);
    store.setPortNumber(12);
    EXPECT_EQ(heardPorts.size(), 2 + cases.size()) << "a removed listener is not told";
}

TEST(ConnectionSettingsStore, ListenersMayChangeTheSettingsAndTheListenerList) {
    ConnectionSettingsStore store;
    std::vector<std::string> heard;
    int second = 0;
    // The first listener removes the second before it is told, and a third
    // listener, added while the first is told, waits for the next change.
    store.addListener([&](const ConnectionSettings& now) {
        heard.push_back("first " + std::to_string(now.portNumber));
        store.removeListener(second);
        store.addListener([&](const ConnectionSettings& later) {
            heard.push_back("third " + std::to_string(later.portNumber));
        });
    });
    second = store.addListener([&](const ConnectionSettings&) { heard.push_back("second"); });
    store.setPortNumber(1);
    EXPECT_EQ(heard, (std::vector<std::string>{"first 1"}));

    // A listener that corrects a change: everyone ends up with the correction.
    ConnectionSettingsStore clamped;
    std::vector<int32_t> seen;
    clamped.addListener([&](const ConnectionSettings& now) {
        if (now.portNumber > 255) clamped.setPortNumber(255);
    });
    clamped.addListener([&](const ConnectionSettings& now) { seen.push_back(now.portNumber); });
    clamped.setPortNumber(300);
    EXPECT_EQ(clamped.get().portNumber, 255);
    EXPECT_EQ(seen.back(), 255);
}

TEST(ConnectionSettingsStore, ReadingTheFileIsOneChangeHeardByTheListeners) {
    TempDir dir;
    const std::string path = dir.file("conn.cfg");
    ConnectionSettings onDisk;
    onDisk.portNumber = 7;
    onDisk.targetPanels = {2, 4};
    std::string error;
    ASSERT_TRUE(writeConnCfg(path, onDisk, ConnCfgAllFields, error)) << error;

    ConnectionSettingsStore store;
    int told = 0;
    store.addListener([&](const ConnectionSettings&) { ++told; });
    EXPECT_EQ(readConnCfg(path, store).status, ConnCfgReadResult::Status::Loaded);
    EXPECT_EQ(store.get().portNumber, 7);
    EXPECT_EQ(store.get().targetPanels, (std::vector<uint8_t>{2, 4}));
    EXPECT_EQ(told, 1);
    readConnCfg(path, store); // the same again: no change, nobody told
    EXPECT_EQ(told, 1);
}

// Reading and writing whole files: what is not a plain file, or is far too
// large, is refused without blocking; saves go through links and keep modes.
#include "files/conn_cfg.h"
#include "files/file_io.h"
#include "files/last_file.h"
#include "files/page_file.h"
#include "model/native_path.h"
#include "support/page_edits.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <functional>

using namespace vorelux;
namespace fs = std::filesystem;

// Any file name, as UTF-8: the page file, the memory of the last file and a
// replaced file keep accented names and their bytes (10 stays 10, 13 10
// stays 13 10, whatever the system's text conventions).
TEST(FileNames, AccentedNamesAndEveryByteGoBothWays) {
    TempDir dir;
    const std::string folder = utf8Path(dir.path / nativePath("promoções"));
    fs::create_directory(nativePath(folder));
    const std::string page = folder + "/promoção.vpg";
    PageStore store;
    test::setEditLine(store, {0xFF, 0xC0, 0xC0, 'A', 10, 13, 10, 26, 'B'});
    std::string error;
    ASSERT_EQ(savePageFile(store, page, 255, error), SaveOutcome::Saved) << error;
    ASSERT_TRUE(fs::is_regular_file(nativePath(page)));
    std::vector<uint8_t> data;
    ASSERT_TRUE(readWholeFile(page, data, error, PageFileSizeLimit)) << error;
    EXPECT_EQ(data.size(), fs::file_size(nativePath(page)));

    ASSERT_TRUE(writeWholeFileSafely(page, {10, 13, 10, 26, 0}, error)) << error;
    ASSERT_TRUE(readWholeFile(page, data, error, PageFileSizeLimit)) << error;
    EXPECT_EQ(data, (std::vector<uint8_t>{10, 13, 10, 26, 0})) << "replaced, not added to";
    EXPECT_EQ(std::distance(fs::directory_iterator(nativePath(folder)), {}), 1)
        << "no temporary file is left behind";

    ASSERT_TRUE(writeWholeFileSafely(page, {}, error)) << error;
    ASSERT_TRUE(writeLastFile(folder + "/ult_arq.txt", page));
    EXPECT_TRUE(fileExists(page));
    EXPECT_EQ(readLastFile(folder + "/ult_arq.txt"), page);
    EXPECT_EQ(withPageFileExtension(folder + "/ação.txt"), folder + "/ação.vpg");
}

#ifdef _WIN32

// Devices and folders are refused by what the opened handle is, before a
// byte is read or written.
TEST(WindowsFiles, DevicesFoldersAndMissingFilesAreRefused) {
    TempDir dir;
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {.path = "NUL", .reason = "não é um arquivo comum"},
        {.path = dir.path.string(), .reason = "é uma pasta"},
        {.path = dir.file("absent"), .reason = "arquivo ou pasta inexistente"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<uint8_t> data{1, 2, 3};
        std::string error;
        EXPECT_FALSE(readWholeFile(c.path, data, error, PageFileSizeLimit));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(data, (std::vector<uint8_t>{1, 2, 3})) << "untouched on failure";
    }
    for (const std::string& path : {std::string("NUL"), dir.path.string()}) {
        std::string error;
        EXPECT_FALSE(writeWholeFileSafely(path, {1}, error)) << path;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(fs::is_directory(dir.path));
    const std::string big = dir.file("big");
    writeBytes(big, {});
    fs::resize_file(big, PageFileSizeLimit + 1);
    std::vector<uint8_t> data;
    std::string error;
    EXPECT_FALSE(readWholeFile(big, data, error, PageFileSizeLimit));
    EXPECT_NE(error.find("grande demais (mais de 1024 KB)"), std::string::npos) << error;
}

#else

namespace {

mode_t modeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Runs `body` as an ordinary user when the tests run as root (CI does), so
// that folder permissions bite; the child's exit code is the result.
bool asOrdinaryUser(const std::function<bool()>& body) {
    if (::geteuid() != 0) return body();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

TEST(ReadWholeFile, RefusesWhatIsNotARegularFileOrTooLarge) {
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = dir.file("big");
    writeBytes(big, {});
    ASSERT_EQ(::truncate(big.c_str(), PageFileSizeLimit + 1), 0);
    const std::string atCap = dir.file("at-cap");
    writeBytes(atCap, std::vector<uint8_t>(SmallFileSizeLimit, 7));
    struct Case {
        std::string path;
        size_t cap;
        std::string reason; // empty: read whole
    };
    const Case cases[] = {
        {.path = "/dev/zero", .cap = PageFileSizeLimit, .reason = "não é um arquivo comum"},
        {.path = fifo, .cap = PageFileSizeLimit, .reason = "não é um arquivo comum"},
        {.path = dir.path.string(), .cap = PageFileSizeLimit, .reason = "é uma pasta"},
        {.path = big, .cap = PageFileSizeLimit, .reason = "grande demais (mais de 1024 KB)"},
        {.path = atCap, .cap = SmallFileSizeLimit - 1, .reason = "grande demais"},
        {.path = atCap, .cap = SmallFileSizeLimit, .reason = ""},
        {.path = dir.file("absent"), .cap = 16, .reason = "arquivo ou pasta inexistente"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::vector<uint8_t> data{1, 2, 3};
        std::string error;
        EXPECT_EQ(readWholeFile(c.path, data, error, c.cap), c.reason.empty());
        if (c.reason.empty()) {
            EXPECT_EQ(data.size(), SmallFileSizeLimit);
        } else {
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
            EXPECT_EQ(data, (std::vector<uint8_t>{1, 2, 3})) << "untouched on failure";
        }
    }
}

TEST(ReadWholeFile, OpeningADeviceAsPageFileKeepsThePages) {
    PageStore store;
    test::appendToEditLine(store, 'Z');
    store.setModified(true);
    std::string error;
    EXPECT_FALSE(loadPageFile(store, "/dev/zero", 255, error));
    EXPECT_EQ(error,
              "Não foi possível abrir \"zero\" (não é um arquivo comum). Nada foi alterado.");
    EXPECT_EQ(store.editLine().back(), 'Z');
    EXPECT_TRUE(store.isModified());
}

TEST(ReadWholeFile, SettingsThatAreNoFileAreNeitherReadNorReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("conn.cfg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ConnectionSettings cfg;
    cfg.portNumber = 4;
    const auto result = readConnCfg(fifo, cfg);
    EXPECT_EQ(result.status, ConnCfgReadResult::Status::Unreadable);
    EXPECT_NE(result.message.find("não é um arquivo comum"), std::string::npos) << result.message;
    EXPECT_TRUE(fs::is_fifo(fifo)) << "the pipe was not replaced by a file";
    EXPECT_EQ(readLastFile(fifo), "");
}

TEST(WriteWholeFileSafely, WritesThroughLinksAndKeepsTheMode) {
    TempDir dir;
    fs::create_directory(dir.path / "real");
    const std::string real = dir.file("real/a.vpg");
    writeBytes(real, {1});
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    fs::create_symlink("real/a.vpg", dir.path / "link.vpg");
    fs::create_symlink("link.vpg", dir.path / "link2.vpg"); // a chain of links
    std::string error;
    ASSERT_TRUE(writeWholeFileSafely(dir.file("link2.vpg"), {4, 5}, error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir.path / "link.vpg"));
    EXPECT_TRUE(fs::is_symlink(dir.path / "link2.vpg"));
    EXPECT_EQ(readBytes(real), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(modeOf(real), 0600u);
    ASSERT_TRUE(writeWholeFileSafely(real, {6}, error)) << error;
    EXPECT_EQ(modeOf(real), 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path / "real"), {}), 1)
        << "no temporary file is left behind";

    // A dangling link creates its target.
    fs::create_symlink("real/new.vpg", dir.path / "new.vpg");
    ASSERT_TRUE(writeWholeFileSafely(dir.file("new.vpg"), {7}, error)) << error;
    EXPECT_EQ(readBytes(dir.file("real/new.vpg")), std::vector<uint8_t>{7});
    EXPECT_TRUE(fs::is_symlink(dir.path / "new.vpg"));
}

TEST(WriteWholeFileSafely, RefusesDevicesPipesAndFolders) {
    TempDir dir;
    const std::string fifo = dir.file("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_symlink("/dev/null", dir.path / "null-link");
    for (const std::string& path : {fifo, dir.file("null-link"), dir.path.string()}) {
        std::string error;
        EXPECT_FALSE(writeWholeFileSafely(path, {1}, error)) << path;
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(dir.path / "null-link"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

// A stream's temporary file is private from the start when the file it
// replaces is, and nothing is left of it when it is abandoned.
TEST(SafeFileStream, TheTemporaryFileHasTheTargetsModeFromTheStart) {
    TempDir dir;
    const std::string file = dir.file("a.gif");
    writeBytes(file, {1});
    ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
    std::string error;
    {
        SafeFileStream out;
        ASSERT_TRUE(out.open(file, error)) << error;
        EXPECT_EQ(fs::path(out.temporaryPath()).parent_path(), dir.path);
        EXPECT_EQ(modeOf(out.temporaryPath()), 0600u);
        const uint8_t data[] = {2, 3};
        ASSERT_TRUE(out.write(data, sizeof data, error)) << error;
    }
    EXPECT_EQ(readBytes(file), std::vector<uint8_t>{1});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), {}), 1);
    SafeFileStream out;
    ASSERT_TRUE(out.open(file, error)) << error;
    const uint8_t data[] = {4, 5};
    ASSERT_TRUE(out.write(data, sizeof data, error) && out.commit(error)) << error;
    EXPECT_TRUE(out.temporaryPath().empty());
    EXPECT_EQ(readBytes(file), (std::vector<uint8_t>{4, 5}));
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_FALSE(out.commit(error)); // once only
}

TEST(WriteWholeFileSafely, AWritableFileInALockedFolderIsRewrittenInPlace) {
    TempDir dir;
    const fs::path folder = dir.path / "locked";
    fs::create_directory(folder);
    const std::string file = (folder / "a.vpg").string();
    writeBytes(file, std::vector<uint8_t>(100, 1));
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    ::chmod(dir.path.c_str(), 0755);
    EXPECT_TRUE(asOrdinaryUser([&] {
        std::string error;
        // Shorter, then longer than before: the file is cut and grown to fit.
        return writeWholeFileSafely(file, {9, 9}, error) &&
               readBytes(file) == std::vector<uint8_t>{9, 9} &&
               writeWholeFileSafely(file, std::vector<uint8_t>(300, 3), error) &&
               readBytes(file) == std::vector<uint8_t>(300, 3);
    }));
    if (::geteuid() == 0) {
        // Someone else's file the user may not write stays as it was, with a reason.
        ASSERT_EQ(::chmod(file.c_str(), 0644), 0);
        EXPECT_TRUE(asOrdinaryUser([&] {
            std::string error;
            return !writeWholeFileSafely(file, {1}, error) && !error.empty();
        }));
        EXPECT_EQ(readBytes(file), std::vector<uint8_t>(300, 3));
    }
    ::chmod(folder.c_str(), 0755);
}

// A file that decides where this program sends is believed only while it is
// the user's own or root's and nobody else may write it.
TEST(TrustedFiles, OwnerAndWriteBitsDecide) {
    TempDir dir;
    ::chmod(dir.path.c_str(), 0755);
    const std::string path = dir.file("portas.txt");
    writeBytes(path, {'x'});
    struct Case {
        mode_t mode;
        uid_t owner;
        const char* reason; // empty: trusted
    };
    const uid_t me = ::geteuid();
    std::vector<Case> cases{
        {0644, me, ""},
        {0600, me, ""},
        {0664, me, "o arquivo pode ser alterado por outros usuários (permissões 0664)"},
        {0606, me, "(permissões 0606)"}};
    if (me == 0) cases.push_back({0644, 1234, "o arquivo pertence a outro usuário (uid 1234)"});
    for (const Case& c : cases) {
        ASSERT_EQ(::chmod(path.c_str(), c.mode), 0);
        if (me == 0) {
            ASSERT_EQ(::chown(path.c_str(), c.owner, 0), 0);
        }
        const std::string reason = untrustedFileReason(path);
        std::vector<uint8_t> data;
        std::string error;
        const bool read = readTrustedFile(path, data, error, 16);
        if (c.reason[0] == 0) {
            EXPECT_EQ(reason, "") << c.mode;
            EXPECT_TRUE(read) << error;
        } else {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
            EXPECT_FALSE(read);
            EXPECT_EQ(error, reason);
        }
        EXPECT_TRUE(readWholeFile(path, data, error, 16)) << "the plain read does not judge";
    }
    EXPECT_NE(untrustedFileReason(dir.file("missing")), "");
    if (me != 0) return;
    // Root's files are trusted by everybody, another user's by nobody else.
    ASSERT_EQ(::chown(path.c_str(), 0, 0), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_TRUE(asOrdinaryUser([&] { return untrustedFileReason(path).empty(); }));
    ASSERT_EQ(::chown(path.c_str(), 1234, 0), 0);
    EXPECT_FALSE(asOrdinaryUser([&] { return untrustedFileReason(path).empty(); }));
}

#endif

#include "files/settings_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vorelux;

namespace {

SettingsEnvironment environment(SettingsPlatform platform, std::string home, std::string xdg = "",
                                std::string localAppData = "") {
    SettingsEnvironment env;
    env.platform = platform;
    env.home = std::move(home);
    env.xdgConfigHome = std::move(xdg);
    env.localAppData = std::move(localAppData);
    return env;
}

constexpr auto Unix = SettingsPlatform::Unix;
constexpr auto Windows = SettingsPlatform::Windows;

} // namespace

TEST(SettingsFolder, UserFolderFollowsThePlatformsConfigurationFolder) {
    struct Case {
        SettingsEnvironment env;
        std::string expected;
    };
    const Case cases[] = {
        {environment(Unix, "/home/ana"), "/home/ana/.config/Vorelux/Vorelux Editor"},
        {environment(Unix, "/home//ana/./x/../"), "/home/ana/.config/Vorelux/Vorelux Editor"},
        {environment(Unix, "/home/ana", "/cfg"), "/cfg/Vorelux/Vorelux Editor"},
        {environment(Unix, ""), "//.config/Vorelux/Vorelux Editor"},
        {environment(Windows, "/home/ana", "", "C:\\Users\\ana\\AppData\\Local"),
         "C:/Users/ana/AppData/Local/Vorelux/Vorelux Editor"},
        {environment(Windows, "/home/ana", "/cfg"), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(userSettingsFolder(c.env), c.expected) << c.env.home << c.env.localAppData;
}

TEST(SettingsFolder, AConnCfgBesideTheExecutableKeepsThePortableCopyThere) {
    TempDir exe;
    const SettingsEnvironment env = environment(Unix, "/home/ana");
    SettingsPlace installed = findSettingsPlace(exe.path.string(), env);
    EXPECT_FALSE(installed.portable);
    EXPECT_EQ(installed.folder, "/home/ana/.config/Vorelux/Vorelux Editor");
    EXPECT_EQ(installed.executableFolder, exe.path.string());

    writeBytes(exe.file("conn.cfg"), std::vector<uint8_t>(16, 0));
    SettingsPlace portable = findSettingsPlace(exe.path.string(), env);
    EXPECT_TRUE(portable.portable);
    EXPECT_EQ(portable.folder, exe.path.string());
    EXPECT_EQ(portable.userFolder, installed.folder);

    // With no user folder to go to, the executable's folder is all there is.
    const SettingsEnvironment bare = environment(Windows, "/home/ana");
    TempDir other;
    EXPECT_EQ(findSettingsPlace(other.path.string(), bare).folder, other.path.string());
}

TEST(SettingsFolder, FolderIsCreatedWithItsParentsOrTheReasonIsGiven) {
    TempDir dir;
    std::string error;
    const std::string folder = dir.file("a/b/Vorelux Editor");
    ASSERT_TRUE(makeSettingsFolder(folder, error)) << error;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(makeSettingsFolder(folder, error)); // already there

    writeBytes(dir.file("file"), {1});
    EXPECT_FALSE(makeSettingsFolder(dir.file("file/sub"), error));
    EXPECT_NE(error.find(dir.file("file/sub")), std::string::npos) << error;
}

TEST(SettingsFolder, ExecutableFolderIsThisTestsFolder) {
    const std::string folder = executableFolder();
    ASSERT_FALSE(folder.empty());
#ifdef _WIN32
    const char* self = "files_tests.exe";
#else
    const char* self = "files_tests";
#endif
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / self));
}

// "aparencia.txt": the LED colour the editor keeps for its pictures.
#include "files/appearance_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vorelux {
namespace {

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(AppearanceFile, EveryColourComesBackAsWritten) {
    TempDir dir;
    const std::string path = appearanceFilePath(dir.path.string());
    EXPECT_EQ(std::filesystem::path(path).filename(), "aparencia.txt");
    for (LedColour colour : AllLedColours) {
        std::string error;
        ASSERT_TRUE(writeLedColourSetting(path, colour, error)) << error;
        EXPECT_EQ(readLedColourSetting(path), colour) << ledColourWord(colour);
    }
    std::string error;
    ASSERT_TRUE(writeLedColourSetting(path, LedColour::Amber, error));
    EXPECT_EQ(readText(path), "cor=ambar\r\n");
    // Written through a temporary file: nothing else is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);
}

TEST(AppearanceFile, MissingOrDamagedMeansRed) {
    TempDir dir;
    const std::string path = dir.file("aparencia.txt");
    EXPECT_EQ(readLedColourSetting(path), LedColour::Red); // missing
    const struct {
        const char* text;
        LedColour expected;
    } cases[] = {
        {"", LedColour::Red},
        {"cor=roxo\n", LedColour::Red},
        {"cor=\n", LedColour::Red},
        {"\xFF\xFE\x00garbage", LedColour::Red},
        {"colour=green\n", LedColour::Red},
        {"cor=Verde\n", LedColour::Red}, // the file's words are lower case
        {"cor=verde", LedColour::Green},
        {"  cor=azul  \r\n", LedColour::Blue},
        {"# LEDs\nbrilho=3\ncor=branco\r\n", LedColour::White},
        {"cor=verde\ncor=nada\n", LedColour::Green}, // a damaged line changes nothing
    };
    for (const auto& c : cases) {
        writeText(path, std::string(c.text, c.text + std::char_traits<char>::length(c.text)));
        EXPECT_EQ(readLedColourSetting(path), c.expected) << c.text;
    }
    // A folder where the file should be, or a file far too large: red.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_EQ(readLedColourSetting(path), LedColour::Red);
    const std::string big = dir.file("big.txt");
    writeText(big, "cor=verde\n" + std::string(1 << 20, 'x'));
    EXPECT_EQ(readLedColourSetting(big), LedColour::Red);
}

TEST(AppearanceFile, AFailedWriteSaysWhyAndKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("aparencia.txt");
    std::string error;
    ASSERT_TRUE(writeLedColourSetting(path, LedColour::Blue, error));
    EXPECT_FALSE(
        writeLedColourSetting(dir.file("nao/existe/aparencia.txt"), LedColour::Red, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readLedColourSetting(path), LedColour::Blue);
}

TEST(LedColourNames, WordsAndNamesOfEveryColour) {
    const struct {
        LedColour colour;
        const char *name, *word, *setting;
    } table[] = {
        {LedColour::Red, "Vermelho", "red", "vermelho"},
        {LedColour::Amber, "\xC3\x82mbar", "amber", "ambar"},
        {LedColour::Green, "Verde", "green", "verde"},
        {LedColour::White, "Branco", "white", "branco"},
        {LedColour::Blue, "Azul", "blue", "azul"},
    };
    for (const auto& t : table) {
        EXPECT_STREQ(ledColourName(t.colour), t.name);
        EXPECT_STREQ(ledColourWord(t.colour), t.word);
        EXPECT_STREQ(ledColourSettingWord(t.colour), t.setting);
        LedColour parsed = LedColour::White == t.colour ? LedColour::Red : LedColour::White;
        EXPECT_TRUE(parseLedColourWord(t.word, parsed));
        EXPECT_EQ(parsed, t.colour);
        EXPECT_TRUE(parseLedColourSettingWord(t.setting, parsed));
        EXPECT_EQ(parsed, t.colour);
    }
    LedColour untouched = LedColour::Blue;
    for (const char* bad : {"", "Red", "vermelho", "redd", "ambar "})
        EXPECT_FALSE(parseLedColourWord(bad, untouched)) << bad;
    EXPECT_EQ(untouched, LedColour::Blue);
}

} // namespace
} // namespace vorelux

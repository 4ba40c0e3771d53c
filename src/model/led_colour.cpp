#include "model/led_colour.h"

namespace vorelux {

namespace {

struct ColourNames {
    LedColour colour;
    const char* name;
    const char* word;
    const char* settingWord;
};

constexpr std::array<ColourNames, 5> Names = {{
    {LedColour::Red, "Vermelho", "red", "vermelho"},
    {LedColour::Amber, "\xC3\x82mbar", "amber", "ambar"},
    {LedColour::Green, "Verde", "green", "verde"},
    {LedColour::White, "Branco", "white", "branco"},
    {LedColour::Blue, "Azul", "blue", "azul"},
}};

const ColourNames& namesOf(LedColour colour) {
    for (const ColourNames& n : Names)
        if (n.colour == colour) return n;
    return Names[0];
}

} // namespace

const char* ledColourName(LedColour colour) {
    return namesOf(colour).name;
}

const char* ledColourWord(LedColour colour) {
    return namesOf(colour).word;
}

const char* ledColourSettingWord(LedColour colour) {
    return namesOf(colour).settingWord;
}

bool parseLedColourWord(const std::string& word, LedColour& colour) {
    for (const ColourNames& n : Names) {
        if (word == n.word) {
            colour = n.colour;
            return true;
        }
    }
    return false;
}

bool parseLedColourSettingWord(const std::string& word, LedColour& colour) {
    for (const ColourNames& n : Names) {
        if (word == n.settingWord) {
            colour = n.colour;
            return true;
        }
    }
    return false;
}

} // namespace vorelux

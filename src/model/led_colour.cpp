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

namespace {

// The colour whose `field` is `word`.
bool parseBy(const char* ColourNames::*field, const std::string& word, LedColour& colour) {
    for (const ColourNames& n : Names) {
        if (word == n.*field) {
            colour = n.colour;
            return true;
        }
    }
    return false;
}

} // namespace

bool parseLedColourWord(const std::string& word, LedColour& colour) {
    return parseBy(&ColourNames::word, word, colour);
}

bool parseLedColourSettingWord(const std::string& word, LedColour& colour) {
    return parseBy(&ColourNames::settingWord, word, colour);
}

} // namespace vorelux

#pragma once
// The colour of the panel's LEDs, as the pictures of the editor, the tool and
// the virtual panel paint them. One-colour panels come in these five.
#include <array>
#include <string>

namespace vorelux {

enum class LedColour { Red, Amber, Green, White, Blue };

constexpr LedColour DefaultLedColour = LedColour::Red;
constexpr std::array<LedColour, 5> AllLedColours = {
    LedColour::Red, LedColour::Amber, LedColour::Green, LedColour::White, LedColour::Blue};

// The operator's name: "Vermelho", "Âmbar", "Verde", "Branco", "Azul" (UTF-8).
const char* ledColourName(LedColour colour);
// The word of the command-line option: red, amber, green, white, blue.
const char* ledColourWord(LedColour colour);
// The word of the settings file: vermelho, ambar, verde, branco, azul.
const char* ledColourSettingWord(LedColour colour);

// The option word (red|amber|green|white|blue); false for anything else.
bool parseLedColourWord(const std::string& word, LedColour& colour);
// The settings file's word; false for anything else.
bool parseLedColourSettingWord(const std::string& word, LedColour& colour);

} // namespace vorelux

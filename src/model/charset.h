#pragma once
// The panel character set: content byte i stands for PanelCharset[i].
#include <array>
#include <cstdint>
#include <string>

namespace vorelux {

constexpr int PanelCharacterCount = 192;
extern const std::array<char16_t, PanelCharacterCount> PanelCharset;

// Converts one text character to a content byte. Characters the panel cannot
// show become the low byte of `fallback`, or a space when that is 0.
uint8_t toPanelCharacter(char16_t c, char16_t fallback);

// The byte a pasted character becomes. Like typing, except that a pasted
// unit separator (U+001F) becomes a space: as a content byte it is the
// drawing escape and would swallow the next character as a drawing code.
uint8_t convertPastedCharacter(char16_t c);

// UTF-8 to UTF-16 (the tools and tests speak UTF-8; the editor speaks UTF-16).
// Malformed UTF-8 becomes U+FFFD; the characters around it are kept.
std::u16string utf8ToUtf16(const std::string& text);
std::string utf16ToUtf8(const std::u16string& text);

} // namespace vorelux

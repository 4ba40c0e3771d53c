#pragma once
// "aparencia.txt", beside "conn.cfg" in the settings folder: how the LED
// pictures look. One line "cor=vermelho" (vermelho, ambar, verde, branco or
// azul). The editor writes it; the editor, the `vorelux` tool and the virtual
// panel read it. A missing or damaged file means the default colour, red.
#include "model/led_colour.h"

#include <string>

namespace vorelux {

inline constexpr const char* AppearanceFileName = "aparencia.txt";

// The file in `folder` ("" = the current folder).
std::string appearanceFilePath(const std::string& folder);

// The colour the file names; DefaultLedColour when it is missing, unreadable
// or names no colour.
LedColour readLedColourSetting(const std::string& path);
// Writes the file through a temporary file renamed into place; false with
// the system's reason when it cannot.
bool writeLedColourSetting(const std::string& path, LedColour colour, std::string& error);

// The colour saved in the settings folder this program uses (the folder of
// "conn.cfg", as findSettingsPlace finds it).
LedColour savedLedColour();

} // namespace vorelux

#pragma once
// The private LED font of the line boxes and the function list, carried in
// the executable's resources.

namespace vorelux::app {

inline constexpr const char* LedFontFamily = "VoreluxF0";
inline constexpr const char* LedFontResource = ":/fonts/VoreluxF0.ttf";

// Adds the font from the resources for this process; the handle, or -1 when
// it could not be added (the boxes then fall back to an ordinary font).
int loadPrivateFont();
// Removes the font added by loadPrivateFont.
void removePrivateFont(int handle);

} // namespace vorelux::app

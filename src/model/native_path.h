#pragma once
// File names travel through the program as UTF-8 text; the system takes them
// as paths of its own: the same bytes on Linux, wide characters on Windows
// (where a narrow path would go through the ANSI code page and lose every
// character outside it, such as the "çã" of "promoção.vpg").
#include <filesystem>
#include <string>

namespace vorelux {

std::filesystem::path nativePath(const std::string& utf8);
std::string utf8Path(const std::filesystem::path& path);

// Puts `from` in the place of `to`, replacing a file already there, and
// returns only once the new name is on the disk; false with the reason.
bool replaceFile(const std::string& from, const std::string& to, std::string& error);

#ifdef _WIN32
// The system's message for a Win32 error code; the common ones in the same
// words as their C library counterparts, so messages read alike everywhere.
std::string windowsErrorText(unsigned long code);
#endif

} // namespace vorelux

#include "files/appearance_file.h"

#include "files/file_io.h"
#include "files/settings_folder.h"
#include "model/native_path.h"

#include <vector>

namespace vorelux {

namespace {

constexpr const char* ColourKey = "cor=";

std::string trimmed(const std::string& text) {
    const char* space = " \t\r";
    const size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

} // namespace

std::string appearanceFilePath(const std::string& folder) {
    if (folder.empty()) return AppearanceFileName;
    return utf8Path((nativePath(folder) / AppearanceFileName).make_preferred());
}

LedColour readLedColourSetting(const std::string& path) {
    std::vector<uint8_t> data;
    std::string error;
    LedColour colour = DefaultLedColour;
    if (!readWholeFile(path, data, error, SmallFileSizeLimit)) return colour;
    const std::string text(data.begin(), data.end());
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = trimmed(text.substr(at, end - at));
        if (line.rfind(ColourKey, 0) == 0) {
            LedColour named;
            if (parseLedColourSettingWord(trimmed(line.substr(4)), named)) colour = named;
        }
        at = end + 1;
    }
    return colour;
}

bool writeLedColourSetting(const std::string& path, LedColour colour, std::string& error) {
    const std::string text = std::string(ColourKey) + ledColourSettingWord(colour) + "\r\n";
    return writeWholeFileSafely(path, std::vector<uint8_t>(text.begin(), text.end()), error);
}

LedColour savedLedColour() {
    return readLedColourSetting(appearanceFilePath(findSettingsPlace(executableFolder()).folder));
}

} // namespace vorelux

#include "files/last_file.h"

#include "files/file_io.h"

namespace vorelux {

std::string readLastFile(const std::string& memoryPath) {
    std::vector<uint8_t> data;
    std::string error;
    if (!readWholeFile(memoryPath, data, error, SmallFileSizeLimit)) return {};
    std::string line(data.begin(), data.end());
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || !fileExists(line)) return {};
    return line;
}

bool writeLastFile(const std::string& memoryPath, const std::string& fileName) {
    std::string text = fileName + "\r\n";
    std::string error;
    return writeWholeFileSafely(memoryPath, std::vector<uint8_t>(text.begin(), text.end()), error);
}

} // namespace vorelux

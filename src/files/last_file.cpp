#include "files/last_file.h"

#include "files/file_io.h"

#include <fstream>

namespace vorelux {

std::string readLastFile(const std::string& memoryPath) {
    std::ifstream in(memoryPath);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
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

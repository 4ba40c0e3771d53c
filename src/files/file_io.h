#pragma once
// Whole-file reads and safe whole-file writes.
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

// Reads a whole file; false (with a reason) when it cannot be read.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error);
// Writes through a temporary file in the same folder and renames it over the
// target, so a failed write never destroys the previous file.
bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error);
bool fileExists(const std::string& path);

} // namespace vorelux

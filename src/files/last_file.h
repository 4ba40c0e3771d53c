#pragma once
// "ult_arq.txt": the page file that was in use when the editor last closed.
#include <string>

namespace vorelux {

// The file named on the first line of the memory when it still exists;
// empty when the memory is missing, empty, or names a file that is gone.
std::string readLastFile(const std::string& memoryPath);
// Writes `fileName` as the only line; false when it cannot be written.
bool writeLastFile(const std::string& memoryPath, const std::string& fileName);

} // namespace vorelux

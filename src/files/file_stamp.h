#pragma once
// The identity of a file on disk (device, inode, size, modification time to
// the nanosecond), to notice when another program wrote it.
#include "model/store.h"

#include <optional>
#include <string>

namespace vorelux {

// The file at `path` as it is now (links followed); nothing when it does not
// exist or cannot be examined.
std::optional<FileStamp> readFileStamp(const std::string& path);

} // namespace vorelux

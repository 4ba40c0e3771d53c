#pragma once
// A command that writes through a temporary file removes it when Ctrl+C
// (SIGINT) or SIGTERM stops it: the handler deletes the armed path (an
// async-signal-safe call) and the signal then ends the process as it would
// have, so the shell still sees the interrupt.
#include <string>

namespace vorelux::cli {

class RemoveOnInterrupt {
  public:
    RemoveOnInterrupt();  // installs the handlers, with nothing armed
    ~RemoveOnInterrupt(); // disarms and puts the previous handlers back
    RemoveOnInterrupt(const RemoveOnInterrupt&) = delete;
    RemoveOnInterrupt& operator=(const RemoveOnInterrupt&) = delete;

    // The file (UTF-8) to remove if a signal comes; empty disarms.
    void arm(const std::string& path);
};

} // namespace vorelux::cli

#pragma once
// Whole-file reads with a size cap and safe whole-file writes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vorelux {

// Size caps, well above the largest valid file of each kind: a page file is
// at most 16 + 8 × (16 + 65,536) bytes; "conn.cfg" and "ult_arq.txt" are a
// few hundred bytes.
constexpr size_t PageFileSizeLimit = 1024 * 1024;
constexpr size_t SmallFileSizeLimit = 64 * 1024;

// Reads a whole regular file (links followed) of at most maxBytes. Devices,
// pipes and folders are refused without blocking on them, and a file past
// the cap without reading it all; false with a reason (Portuguese) then.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                   size_t maxBytes);

// Why a file that decides what this program does on the user's behalf
// (which ports it sends to, which server it connects to) must not be
// believed; empty when it may be. Such a file, and the symbolic link that
// names it if it is reached through one, must belong to the user running
// the program or to root, and nobody else may write it (no write bit for
// group or others): a file someone else put in a shared or carried settings
// folder could otherwise send this user's transfers wherever they like.
// The reason (Portuguese) does not name the file: the caller does, e.g.
// "<path>: pertence a outro usuário (uid 65534); o arquivo foi ignorado".
// A file that cannot be examined gives the system's reason. On Windows
// every file is trusted (the folder's access rules decide there).
std::string untrustedFileReason(const std::string& path);
// readWholeFile for such a file: reads only a file untrustedFileReason
// accepts, the check made on the opened file itself so that nothing can be
// swapped in between; false with the reason otherwise.
bool readTrustedFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                     size_t maxBytes);
// Writes a whole file so that a failure never destroys the previous one:
// through a temporary file in the target's folder renamed over it. A
// symbolic link is written through to its target, whose permission bits
// (and owner, where the process may) are kept. When the folder cannot take
// the temporary file but the file itself is writable, the file is rewritten
// in place after its room has been reserved, so a full disk still fails
// before any byte of the old content changes. Devices, pipes and folders
// are refused.
bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error);
bool fileExists(const std::string& path);

// A file written piece by piece (too large to hold whole) by the rules of
// writeWholeFileSafely: links are followed, devices, pipes and folders are
// refused, the data goes to a temporary file beside the real target, which
// has the target's permission bits (and owner, where the process may) from
// the start, and commit() puts it on the disk under the target's name. An
// abandoned or failed stream removes its temporary file; there is no
// in-place fallback, so a folder that refuses new files fails the open.
class SafeFileStream {
  public:
    SafeFileStream() = default;
    SafeFileStream(const SafeFileStream&) = delete;
    SafeFileStream& operator=(const SafeFileStream&) = delete;
    ~SafeFileStream(); // abandons unless committed

    bool open(const std::string& path, std::string& error);
    bool write(const uint8_t* data, size_t size, std::string& error);
    // Flushes, closes and renames over the target; the temporary file is
    // removed when any of it fails.
    bool commit(std::string& error);
    void abandon();
    bool isOpen() const { return handle_ != -1; }
    // The temporary file's name (UTF-8) while open, for a caller that must
    // remove it from a signal handler; empty otherwise.
    const std::string& temporaryPath() const { return temporary_; }

  private:
    intptr_t handle_ = -1; // a descriptor, or a Win32 handle
    std::string target_, temporary_;
};

} // namespace vorelux

#include "files/file_io.h"

#include "model/native_path.h"
#include "model/system_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

namespace vorelux {

namespace fs = std::filesystem;

namespace {
constexpr unsigned TemporarySuffixRange = 1000000; // ".tmp" + a number below this
constexpr int MaxLinkHops = 40;                    // as the kernel's own limit on link chains
#ifndef _WIN32
constexpr mode_t PrivateFileMode =
    0600;                            // a new file beside one that exists, until its mode is copied
constexpr mode_t NewFileMode = 0666; // a new file, narrowed by the umask
constexpr mode_t PermissionBits = 07777; // permission, set-id and sticky bits of st_mode
#endif

std::string sizeCapReason(size_t maxBytes) {
    return "o arquivo é grande demais (mais de " + std::to_string(maxBytes / 1024) + " KB)";
}

fs::path temporaryName(const fs::path& target) {
    std::random_device seed;
    fs::path name = ".";
    name += target.filename();
    name += ".tmp" + std::to_string(seed() % TemporarySuffixRange);
    return target.parent_path() / name;
}

// The file a path finally names once every symbolic link on it is followed;
// the path itself when it is no link. A loop of links is left to the open
// that follows, which reports it.
fs::path followLinks(fs::path path) {
    for (int hops = 0; hops < MaxLinkHops; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(path, ec)) return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) return path;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return path;
}

// The first `got` bytes of `buffer` become the file's data, unless the file
// turned out larger than its cap (it may grow while it is read).
bool takeRead(std::vector<uint8_t>& buffer, size_t got, size_t maxBytes, std::vector<uint8_t>& data,
              std::string& error) {
    if (got > maxBytes) {
        error = sizeCapReason(maxBytes);
        return false;
    }
    buffer.resize(got);
    data = std::move(buffer);
    return true;
}

} // namespace

#ifndef _WIN32

namespace {

std::string notRegularReason(mode_t mode) {
    return S_ISDIR(mode) ? "é uma pasta" : "não é um arquivo comum";
}

bool writeAll(int fd, const uint8_t* data, size_t size, std::string& error) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = systemErrorText(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += size_t(n);
    }
    return true;
}

struct ExistingFile {
    bool exists = false;
    struct stat info {};
};

// The regular file a write goes to: the path with its links followed, and
// what is there now. Devices, pipes and folders are refused.
bool resolveTarget(const std::string& path, fs::path& target, ExistingFile& old,
                   std::string& error) {
    target = followLinks(path);
    if (::stat(target.c_str(), &old.info) != 0) return true;
    old.exists = true;
    if (S_ISREG(old.info.st_mode)) return true;
    error = notRegularReason(old.info.st_mode);
    return false;
}

// A new file beside `target` that has the old file's owner (where we may:
// root, or a group we belong to) and mode before any byte goes in, so a
// private file's content is never readable by others; -1 with the reason
// and its errno otherwise.
int createTemporary(const fs::path& target, const ExistingFile& old, std::string& temp,
                    std::string& error, int& openErrno) {
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temp = temporaryName(target).string();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                    old.exists ? PrivateFileMode : NewFileMode);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        openErrno = errno;
        error = systemErrorText(errno);
        return -1;
    }
    if (!old.exists) return fd;
    if (old.info.st_uid != ::geteuid() || old.info.st_gid != ::getegid()) {
        [[maybe_unused]] const int kept = ::fchown(fd, old.info.st_uid, old.info.st_gid);
    }
    if (::fchmod(fd, old.info.st_mode & PermissionBits) == 0) return fd;
    openErrno = errno;
    error = systemErrorText(errno);
    ::close(fd);
    ::unlink(temp.c_str());
    return -1;
}

// Puts the temporary file on the disk and under the target's name; it is
// removed when any step fails.
bool commitTemporary(int fd, const std::string& temp, const fs::path& target, std::string& error) {
    bool ok = true;
    if (::fsync(fd) != 0) {
        error = systemErrorText(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = systemErrorText(errno);
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = systemErrorText(errno);
        ok = false;
    }
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

// For a writable file in a folder we may not write: the room for the new
// content is reserved first, so that running out of space leaves the old
// content whole; only then is it overwritten and cut to length.
bool inPlace(const fs::path& target, const ExistingFile& old, const std::vector<uint8_t>& data,
             std::string& error) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        error = systemErrorText(errno);
        return false;
    }
    const off_t oldSize = old.info.st_size;
    const off_t newSize = off_t(data.size());
    bool ok = true;
    if (newSize > oldSize) {
        const int rc = ::posix_fallocate(fd, oldSize, newSize - oldSize);
        if (rc != 0) {
            error = systemErrorText(rc);
            ok = false;
        }
    }
    ok = ok && writeAll(fd, data.data(), data.size(), error);
    if (ok && ::ftruncate(fd, newSize) != 0) {
        error = systemErrorText(errno);
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        error = systemErrorText(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}

} // namespace

namespace {

// Root's files and the running user's own are trusted, so long as nobody
// else may write them.
std::string untrustedReason(const struct stat& info, const char* what) {
    if (info.st_uid != ::geteuid() && info.st_uid != 0)
        return std::string(what) + " pertence a outro usuário (uid " + std::to_string(info.st_uid) +
               ")";
    if (!S_ISLNK(info.st_mode) && (info.st_mode & (S_IWGRP | S_IWOTH))) {
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", unsigned(info.st_mode & PermissionBits));
        return std::string(what) + " pode ser alterado por outros usuários (permissões " + mode +
               ")";
    }
    return {};
}

// The link itself, when the path is one: whoever owns it chooses the file read.
std::string untrustedLinkReason(const std::string& path) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0) return systemErrorText(errno);
    return S_ISLNK(link.st_mode) ? untrustedReason(link, "o link") : std::string();
}

} // namespace

std::string untrustedFileReason(const std::string& path) {
    std::string reason = untrustedLinkReason(path);
    if (!reason.empty()) return reason;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return systemErrorText(errno);
    return untrustedReason(info, "o arquivo");
}

namespace {

// The whole file at `path`; with `trustedOnly`, only a file untrustedReason
// accepts, judged on the opened file so nothing can be swapped in between.
bool readFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
              size_t maxBytes, bool trustedOnly) {
    // O_NONBLOCK: opening a pipe without a writer must not hang; the type is
    // checked on the open descriptor, so nothing can be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = systemErrorText(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = notRegularReason(info.st_mode);
        ::close(fd);
        return false;
    }
    if (trustedOnly && !(error = untrustedReason(info, "o arquivo")).empty()) {
        ::close(fd);
        return false;
    }
    if (size_t(info.st_size) > maxBytes) {
        error = sizeCapReason(maxBytes);
        ::close(fd);
        return false;
    }
    std::vector<uint8_t> buffer(size_t(info.st_size) + 1);
    size_t got = 0;
    for (;;) {
        if (got == buffer.size()) {
            if (buffer.size() > maxBytes) break; // grew past the cap while we read
            buffer.resize(std::min(buffer.size() * 2, maxBytes + 1));
        }
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = "erro de leitura (" + systemErrorText(errno) + ")";
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    ::close(fd);
    return takeRead(buffer, got, maxBytes, data, error);
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                   size_t maxBytes) {
    return readFile(path, data, error, maxBytes, false);
}

bool readTrustedFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                     size_t maxBytes) {
    error = untrustedLinkReason(path);
    return error.empty() && readFile(path, data, error, maxBytes, true);
}

bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error) {
    fs::path target;
    ExistingFile old;
    if (!resolveTarget(path, target, old, error)) return false;
    std::string temp;
    int openErrno = 0;
    const int fd = createTemporary(target, old, temp, error, openErrno);
    if (fd >= 0) {
        if (writeAll(fd, data.data(), data.size(), error))
            return commitTemporary(fd, temp, target, error);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    const bool folderRefused = openErrno == EACCES || openErrno == EPERM || openErrno == EROFS;
    if (!folderRefused || !old.exists || ::access(target.c_str(), W_OK) != 0) return false;
    return inPlace(target, old, data, error);
}

SafeFileStream::~SafeFileStream() {
    abandon();
}

bool SafeFileStream::open(const std::string& path, std::string& error) {
    abandon();
    fs::path target;
    ExistingFile old;
    if (!resolveTarget(path, target, old, error)) return false;
    std::string temp;
    int openErrno = 0;
    const int fd = createTemporary(target, old, temp, error, openErrno);
    if (fd < 0) return false;
    handle_ = fd;
    target_ = target.string();
    temporary_ = temp;
    return true;
}

bool SafeFileStream::write(const uint8_t* data, size_t size, std::string& error) {
    if (!isOpen()) {
        error = systemErrorText(EBADF);
        return false;
    }
    return writeAll(int(handle_), data, size, error);
}

bool SafeFileStream::commit(std::string& error) {
    if (!isOpen()) {
        error = systemErrorText(EBADF);
        return false;
    }
    const int fd = int(handle_);
    handle_ = -1;
    const bool ok = commitTemporary(fd, temporary_, target_, error);
    temporary_.clear();
    return ok;
}

void SafeFileStream::abandon() {
    if (isOpen()) ::close(int(handle_));
    handle_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

#else // Windows: Win32 handles on wide-character paths

namespace {

// Handles closed on every path out.
struct Handle {
    HANDLE h = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE handle) : h(handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { close(); }
    bool valid() const { return h != INVALID_HANDLE_VALUE; }
    bool close() {
        const bool ok = !valid() || CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
        return ok;
    }
};

std::string lastErrorText() {
    return windowsErrorText(GetLastError());
}

// Devices ("NUL", "COM1"), pipes and folders are refused; a folder opens
// only with backup semantics, so it is recognised by its attributes.
bool isRegular(HANDLE h, std::string& error) {
    if (GetFileType(h) != FILE_TYPE_DISK) {
        error = "não é um arquivo comum";
        return false;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(h, &info)) {
        error = lastErrorText();
        return false;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = "é uma pasta";
        return false;
    }
    return true;
}

// Opens without following into a device's wait: overlapped-free, shared so
// the editor never locks a file others have open.
HANDLE openExisting(const std::string& path, DWORD access) {
    return CreateFileW(nativePath(path).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool writeAll(HANDLE h, const uint8_t* data, size_t size, std::string& error) {
    size_t done = 0;
    while (done < size) {
        const DWORD chunk = DWORD(std::min<size_t>(size - done, 1u << 20));
        DWORD written = 0;
        if (!WriteFile(h, data + done, chunk, &written, nullptr) || written == 0) {
            error = lastErrorText();
            return false;
        }
        done += written;
    }
    return true;
}

// The file a write goes to, its links followed; devices, pipes and folders
// are refused.
bool resolveTarget(const std::string& path, fs::path& target, std::string& error) {
    target = followLinks(nativePath(path));
    Handle old(openExisting(utf8Path(target), 0));
    return !old.valid() || isRegular(old.h, error);
}

// A fresh file beside the target. It may be deleted while open (the
// console's Ctrl+C handler of a command does so), which removes it as soon
// as its handle closes.
HANDLE createTemporary(const fs::path& target, std::string& temp, std::string& error) {
    HANDLE h = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 8 && h == INVALID_HANDLE_VALUE; ++attempt) {
        temp = utf8Path(temporaryName(target));
        h = CreateFileW(nativePath(temp).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (h == INVALID_HANDLE_VALUE) error = lastErrorText();
    return h;
}

// The new content on the disk before it takes the target's name; the
// temporary file is removed when any step fails.
bool commitTemporary(Handle& file, const std::string& temp, const fs::path& target,
                     std::string& error) {
    bool ok = true;
    if (!FlushFileBuffers(file.h)) {
        error = lastErrorText();
        ok = false;
    }
    if (!file.close() && ok) {
        error = lastErrorText();
        ok = false;
    }
    ok = ok && replaceFile(temp, utf8Path(target), error);
    if (!ok) DeleteFileW(nativePath(temp).c_str());
    return ok;
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                   size_t maxBytes) {
    Handle file(openExisting(path, GENERIC_READ));
    if (!file.valid()) {
        error = lastErrorText();
        return false;
    }
    if (!isRegular(file.h, error)) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.h, &size)) {
        error = lastErrorText();
        return false;
    }
    if (uint64_t(size.QuadPart) > maxBytes) {
        error = sizeCapReason(maxBytes);
        return false;
    }
    std::vector<uint8_t> buffer(maxBytes + 1);
    size_t got = 0;
    while (got < buffer.size()) {
        DWORD n = 0;
        if (!ReadFile(file.h, buffer.data() + got, DWORD(buffer.size() - got), &n, nullptr)) {
            error = "erro de leitura (" + lastErrorText() + ")";
            return false;
        }
        if (n == 0) break;
        got += n;
    }
    return takeRead(buffer, got, maxBytes, data, error);
}

std::string untrustedFileReason(const std::string&) {
    return {};
}

bool readTrustedFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                     size_t maxBytes) {
    return readWholeFile(path, data, error, maxBytes);
}

bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error) {
    SafeFileStream out;
    return out.open(path, error) && out.write(data.data(), data.size(), error) && out.commit(error);
}

SafeFileStream::~SafeFileStream() {
    abandon();
}

bool SafeFileStream::open(const std::string& path, std::string& error) {
    abandon();
    fs::path target;
    if (!resolveTarget(path, target, error)) return false;
    std::string temp;
    const HANDLE h = createTemporary(target, temp, error);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    target_ = utf8Path(target);
    temporary_ = temp;
    return true;
}

bool SafeFileStream::write(const uint8_t* data, size_t size, std::string& error) {
    if (!isOpen()) {
        error = systemErrorText(EBADF);
        return false;
    }
    return writeAll(reinterpret_cast<HANDLE>(handle_), data, size, error);
}

bool SafeFileStream::commit(std::string& error) {
    if (!isOpen()) {
        error = systemErrorText(EBADF);
        return false;
    }
    Handle file(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    const bool ok = commitTemporary(file, temporary_, nativePath(target_), error);
    temporary_.clear();
    return ok;
}

void SafeFileStream::abandon() {
    if (isOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
    if (!temporary_.empty()) DeleteFileW(nativePath(temporary_).c_str());
    temporary_.clear();
}

#endif

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(nativePath(path), ec);
}

} // namespace vorelux

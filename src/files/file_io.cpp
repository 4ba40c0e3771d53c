#include "files/file_io.h"

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
#endif

namespace vorelux {

namespace fs = std::filesystem;

namespace {

std::string sizeCapReason(size_t maxBytes) {
    return "o arquivo é grande demais (mais de " + std::to_string(maxBytes / 1024) + " KB)";
}

std::string temporaryName(const fs::path& target) {
    std::random_device seed;
    return (target.parent_path() /
            ("." + target.filename().string() + ".tmp" + std::to_string(seed() % 1000000)))
        .string();
}

// The file a path finally names once every symbolic link on it is followed;
// the path itself when it is no link. A loop of links is left to the open
// that follows, which reports it.
fs::path followLinks(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
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

bool writeAll(int fd, const std::vector<uint8_t>& data, std::string& error) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : ENOSPC);
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

bool viaTemporaryFile(const fs::path& target, const ExistingFile& old,
                      const std::vector<uint8_t>& data, std::string& error, int& openErrno) {
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temp = temporaryName(target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        openErrno = errno;
        error = std::strerror(errno);
        return false;
    }
    bool ok = writeAll(fd, data, error);
    if (ok && old.exists) {
        // Keep the owner where we may (root, or a group we belong to), then the mode.
        if (old.info.st_uid != ::geteuid() || old.info.st_gid != ::getegid()) {
            [[maybe_unused]] const int kept = ::fchown(fd, old.info.st_uid, old.info.st_gid);
        }
        if (::fchmod(fd, old.info.st_mode & 07777) != 0) {
            error = std::strerror(errno);
            ok = false;
        }
    }
    if (ok && ::fsync(fd) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
        error = std::strerror(errno);
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
        error = std::strerror(errno);
        return false;
    }
    const off_t oldSize = old.info.st_size;
    const off_t newSize = off_t(data.size());
    bool ok = true;
    if (newSize > oldSize) {
        const int rc = ::posix_fallocate(fd, oldSize, newSize - oldSize);
        if (rc != 0) {
            error = std::strerror(rc);
            ok = false;
        }
    }
    ok = ok && writeAll(fd, data, error);
    if (ok && ::ftruncate(fd, newSize) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    ::close(fd);
    return ok;
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                   size_t maxBytes) {
    // O_NONBLOCK: opening a pipe without a writer must not hang; the type is
    // checked on the open descriptor, so nothing can be swapped in between.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = notRegularReason(info.st_mode);
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
            error = "erro de leitura (" + std::string(std::strerror(errno)) + ")";
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    ::close(fd);
    return takeRead(buffer, got, maxBytes, data, error);
}

bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error) {
    const fs::path target = followLinks(path);
    ExistingFile old;
    if (::stat(target.c_str(), &old.info) == 0) {
        old.exists = true;
        if (!S_ISREG(old.info.st_mode)) {
            error = notRegularReason(old.info.st_mode);
            return false;
        }
    }
    int openErrno = 0;
    if (viaTemporaryFile(target, old, data, error, openErrno)) return true;
    const bool folderRefused = openErrno == EACCES || openErrno == EPERM || openErrno == EROFS;
    if (!folderRefused || !old.exists || ::access(target.c_str(), W_OK) != 0) return false;
    return inPlace(target, old, data, error);
}

#else // Windows: the standard library's file streams

bool readWholeFile(const std::string& path, std::vector<uint8_t>& data, std::string& error,
                   size_t maxBytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status)) {
        error = "é uma pasta";
        return false;
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        error = "não é um arquivo comum";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = std::strerror(errno);
        return false;
    }
    std::vector<uint8_t> buffer(maxBytes + 1);
    in.read(reinterpret_cast<char*>(buffer.data()), std::streamsize(buffer.size()));
    if (in.bad()) {
        error = "erro de leitura";
        return false;
    }
    return takeRead(buffer, size_t(in.gcount()), maxBytes, data, error);
}

bool writeWholeFileSafely(const std::string& path, const std::vector<uint8_t>& data,
                          std::string& error) {
    const fs::path target = followLinks(path);
    std::error_code ec;
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec)) {
        error = fs::is_directory(target, ec) ? "é uma pasta" : "não é um arquivo comum";
        return false;
    }
    const fs::path temp = temporaryName(target);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
        out.flush();
        if (!out) {
            error = std::strerror(errno);
            out.close();
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, target, ec);
    if (ec) {
        error = ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

#endif

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

} // namespace vorelux

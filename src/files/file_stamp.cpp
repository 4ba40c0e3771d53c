#include "files/file_stamp.h"

#ifndef _WIN32
#include <sys/stat.h>
#else
#include "model/native_path.h"

#include <windows.h>
#endif

namespace vorelux {

#ifndef _WIN32

std::optional<FileStamp> readFileStamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    FileStamp stamp;
    stamp.path = path;
    stamp.device = uint64_t(info.st_dev);
    stamp.inode = uint64_t(info.st_ino);
    stamp.size = uint64_t(info.st_size);
    stamp.modifiedSeconds = int64_t(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = int64_t(info.st_mtim.tv_nsec);
    return stamp;
}

#else

std::optional<FileStamp> readFileStamp(const std::string& path) {
    // No access asked: examining a file others hold open never fails for it.
    HANDLE h = CreateFileW(nativePath(path).c_str(), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = GetFileInformationByHandle(h, &info);
    CloseHandle(h);
    if (!ok) return std::nullopt;
    FileStamp stamp;
    stamp.path = path;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    // 100-nanosecond ticks since 1601.
    const uint64_t ticks =
        (uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.modifiedSeconds = int64_t(ticks / 10000000);
    stamp.modifiedNanoseconds = int64_t(ticks % 10000000) * 100;
    return stamp;
}

#endif

} // namespace vorelux

#include "model/native_path.h"

#include "model/system_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
// Winsock first: it defines what windows.h would otherwise define older.
#include <winsock2.h>

#include <windows.h>
#endif

namespace vorelux {

#ifndef _WIN32

std::filesystem::path nativePath(const std::string& utf8) {
    return std::filesystem::path(utf8);
}

std::string utf8Path(const std::filesystem::path& path) {
    return path.string();
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = systemErrorText(errno);
    return false;
}

#else

// Invalid UTF-8 (a name read from an old file, say) becomes U+FFFD instead of
// an exception: the open that follows then reports the file as missing.
std::filesystem::path nativePath(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = int(utf8.size());
    const int wide = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(size_t(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), wide);
    return std::filesystem::path(out);
}

std::string utf8Path(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) return {};
    const int size = int(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    error = windowsErrorText(GetLastError());
    return false;
}

// The Win32 and Winsock codes a file, a serial port or a network port meets,
// in the words of their errno counterparts; the system's own text would be
// in the language of the Windows installation, often English.
static int errnoForWindowsError(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case WSAEACCES:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_BUSY:
        return EBUSY;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
    case WSAEMFILE:
        return EMFILE;
    case ERROR_INVALID_PARAMETER:
    case WSAEINVAL:
        return EINVAL;
    case ERROR_INVALID_HANDLE:
        return EBADF;
    case ERROR_GEN_FAILURE:
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return EIO;
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_NOT_READY:
        return ENODEV;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_SEM_TIMEOUT:
    case WSAETIMEDOUT:
        return ETIMEDOUT;
    case WSAECONNREFUSED:
        return ECONNREFUSED;
    case WSAEHOSTUNREACH:
        return EHOSTUNREACH;
    case WSAENETUNREACH:
        return ENETUNREACH;
    case WSAENETDOWN:
        return ENETDOWN;
    case WSAECONNRESET:
        return ECONNRESET;
    case WSAECONNABORTED:
        return ECONNABORTED;
    case WSAEADDRINUSE:
        return EADDRINUSE;
    case WSAENOTCONN:
        return ENOTCONN;
    case WSAEWOULDBLOCK:
        return EAGAIN;
    default:
        return 0;
    }
}

std::string windowsErrorText(unsigned long code) {
    switch (code) {
    case ERROR_OPERATION_ABORTED:
        return "operação cancelada";
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA:
        return "computador não encontrado";
    case WSATRY_AGAIN:
        return "o nome do computador não pôde ser consultado agora";
    case WSANOTINITIALISED:
    case WSASYSNOTREADY:
        return "a rede não está pronta";
    default:
        break;
    }
    if (const int errnum = errnoForWindowsError(code)) return systemErrorText(errnum);
    return "erro do sistema " + std::to_string(code);
}

#endif

} // namespace vorelux

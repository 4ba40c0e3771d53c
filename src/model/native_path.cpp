#include "model/native_path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
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
    error = std::strerror(errno);
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

std::string windowsErrorText(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return std::strerror(EACCES);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    case ERROR_WRITE_PROTECT:
        return std::strerror(EROFS);
    default:
        break;
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 && text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    if (message.empty()) return "erro " + std::to_string(code) + " do sistema";
    return utf8Path(std::filesystem::path(message));
}

#endif

} // namespace vorelux

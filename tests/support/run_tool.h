#pragma once
// Runs the `vorelux` tool and captures what it prints.
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#ifdef _WIN32
#include "model/native_path.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

struct ToolResult {
    int exitCode = -1;
    std::string out; // stdout
    std::string err; // stderr
};

inline std::string shellQuote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

#ifndef _WIN32

// args are quoted for the shell; stderr goes to a temp file.
inline ToolResult runTool(const std::string& tool, const std::vector<std::string>& args) {
    char errPath[] = "/tmp/vorelux-tool-err-XXXXXX";
    int fd = mkstemp(errPath);
    if (fd >= 0) close(fd);
    // A tool that hangs on its input fails the test instead of stalling it.
    std::string command = "timeout 60 " + shellQuote(tool);
    for (const auto& a : args) command += " " + shellQuote(a);
    command += " 2>" + std::string(errPath);
    ToolResult result;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), pipe)) > 0) result.out.append(buf.data(), n);
        int status = pclose(pipe);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (FILE* err = fopen(errPath, "r")) {
        std::array<char, 4096> buf;
        size_t n;
        while ((n = fread(buf.data(), 1, buf.size(), err)) > 0) result.err.append(buf.data(), n);
        fclose(err);
    }
    remove(errPath);
    return result;
}

#else

// One argument as CommandLineToArgvW reads it back: quoted, with the
// backslashes before a quote doubled.
inline std::wstring windowsQuote(const std::wstring& arg) {
    std::wstring q = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        q.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        q += c;
    }
    q.append(slashes * 2, L'\\');
    return q + L"\"";
}

inline std::string readCaptured(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The tool's output and errors go to files (no pipe can fill up while the
// other is read); its input is NUL, and it is stopped after a minute.
inline ToolResult runTool(const std::string& tool, const std::vector<std::string>& args) {
    std::wstring command = windowsQuote(vorelux::nativePath(tool).native());
    for (const auto& a : args) command += L" " + windowsQuote(vorelux::nativePath(a).native());
    const auto folder = std::filesystem::temp_directory_path();
    const auto id =
        std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    const auto outPath = folder / (L"vorelux-tool-out-" + id);
    const auto errPath = folder / (L"vorelux-tool-err-" + id);
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto create = [&](const std::filesystem::path& p, DWORD access, DWORD disposition) {
        return CreateFileW(p.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE in = create(L"NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = create(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = create(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ToolResult result;
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0)
            TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code)) result.exitCode = int(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE h : {in, out, err}) CloseHandle(h);
    result.out = readCaptured(outPath);
    result.err = readCaptured(errPath);
    std::error_code ec;
    std::filesystem::remove(outPath, ec);
    std::filesystem::remove(errPath, ec);
    return result;
}

#endif

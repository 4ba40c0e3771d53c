#pragma once
// Runs the `vorelux` tool and captures what it prints.
#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

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

// args are quoted for the shell; stderr goes to a temp file.
inline ToolResult runTool(const std::string& tool, const std::initializer_list<std::string>& args) {
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

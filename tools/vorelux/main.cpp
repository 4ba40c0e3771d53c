#include "command.h"
#include "vorelux_version.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include "model/native_path.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace vorelux::cli {

std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> table;
    return table;
}

bool takeOption(Args& args, const std::string& name, std::string& value) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == name) {
            value = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
            return true;
        }
    }
    return false;
}

bool takeFlag(Args& args, const std::string& name) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == name) {
            args.erase(args.begin() + static_cast<long>(i));
            return true;
        }
    }
    return false;
}

bool parseInt(const std::string& text, long& value) {
    if (text.empty()) return false;
    size_t used = 0;
    try {
        value = std::stol(text, &used, 10);
    } catch (...) {
        return false;
    }
    return used == text.size();
}

std::string hexBytes(const unsigned char* data, size_t count) {
    std::string out;
    char buf[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", data[i]);
        if (i) out += ' ';
        out += buf;
    }
    return out;
}

} // namespace vorelux::cli

static void usage() {
    std::cerr << "usage: vorelux COMMAND [ARGS...]\n       vorelux --version\n\ncommands:\n";
    for (const auto& [name, command] : vorelux::cli::commands())
        std::cerr << "  vorelux " << command.usage << "\n      " << command.summary << "\n";
}

// The command line as UTF-8, the form every file name takes inside the tool.
// Windows hands main() its arguments in the ANSI code page, where a name
// such as "promoção.vpg" may already have lost characters, so they are taken
// from the wide command line instead.
static std::vector<std::string> utf8Arguments([[maybe_unused]] int argc, char** argv) {
#ifdef _WIN32
    (void)argv;
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; wide && i < count; ++i) args.push_back(vorelux::utf8Path(wide[i]));
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

// Output as on Linux: UTF-8 text (shown as such by the console) and bare
// line feeds; pauses of a few milliseconds kept by the system's timer.
static void setUpWindowsConsole() {
#ifdef _WIN32
    // Run from a script or a scheduled task, nobody could close a
    // critical-error box (a drive without its disk): fail the call instead.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetConsoleOutputCP(CP_UTF8);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    timeBeginPeriod(1);
#endif
}

int main(int argc, char** argv) {
    setUpWindowsConsole();
    const std::vector<std::string> argsIn = utf8Arguments(argc, argv);
    if (argsIn.size() == 2 && argsIn[1] == "--version") {
        std::cout << "vorelux " << VORELUX_VERSION << "\n";
        return 0;
    }
    if (argsIn.size() < 2 || argsIn[1] == "--help" || argsIn[1] == "help") {
        usage();
        return argsIn.size() < 2 ? 2 : 0;
    }
    auto& table = vorelux::cli::commands();
    auto it = table.find(argsIn[1]);
    if (it == table.end()) {
        std::cerr << "vorelux: unknown command '" << argsIn[1] << "'\n";
        usage();
        return 2;
    }
    vorelux::cli::Args args(argsIn.begin() + 2, argsIn.end());
    return it->second.run(args);
}

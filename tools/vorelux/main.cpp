#include "command.h"
#include "vorelux_version.h"

#include <cctype>
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

int usageError(const std::string& command, const std::string& problem) {
    if (!problem.empty()) std::cerr << "vorelux " << command << ": " << problem << "\n";
    auto it = commands().find(command);
    if (it != commands().end()) std::cerr << "uso: vorelux " << it->second.usage << "\n";
    std::cerr << "veja \"vorelux " << command << " --help\"\n";
    return 2;
}

} // namespace vorelux::cli

namespace {

using vorelux::cli::Command;
using vorelux::cli::OptionSpec;

constexpr const char* MainUsage = "uso: vorelux COMANDO [ARGUMENTOS...]\n"
                                  "     vorelux COMANDO --help\n"
                                  "     vorelux --version\n";

void printUsage(std::ostream& out) {
    out << MainUsage
        << "\nEnvia páginas e configurações aos painéis de LED e lê arquivos de páginas "
           "(.vpg).\n\ncomandos:\n";
    for (const auto& [name, command] : vorelux::cli::commands())
        out << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ')
            << command.summary << "\n";
    out << "\nA ajuda de um comando: \"vorelux help COMANDO\" ou \"vorelux COMANDO --help\".\n";
}

void printCommandHelp(const Command& command) {
    std::cout << "uso: vorelux " << command.usage << "\n\n" << command.summary << "\n";
    if (!command.notes.empty()) std::cout << "\n" << command.notes;
    std::cout << "\nopções:\n";
    std::vector<OptionSpec> options = command.options;
    options.push_back({"-h, --help", "", "mostra esta ajuda e sai"});
    for (const OptionSpec& o : options) {
        const std::string left = o.name + (o.value.empty() ? "" : " " + o.value);
        std::cout << "  " << left << std::string(left.size() < 28 ? 28 - left.size() : 2, ' ')
                  << o.help << "\n";
    }
}

const OptionSpec* findOption(const Command& command, const std::string& name) {
    for (const OptionSpec& o : command.options)
        if (o.name == name) return &o;
    return nullptr;
}

// "-x" or "--xyz": an option word; "-5" (a negative number) and "-" are not.
bool looksLikeOption(const std::string& word) {
    return word.size() >= 2 && word[0] == '-' &&
           (std::isalpha(static_cast<unsigned char>(word[1])) || word[1] == '-');
}

enum class Check { Run, Help, Error };

// Checks the words after the command against its options: "--name=value"
// becomes "--name value"; -h/--help asks for the help; an unknown option or
// one without its value is a usage error, told on stderr. After "--" (which
// goes) every word is an argument, such as a line "-PROMOÇÃO-" for make.
Check checkArguments(const std::string& name, const Command& command, vorelux::cli::Args& args) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string word = args[i];
        if (word == "--") {
            args.erase(args.begin() + long(i));
            return Check::Run;
        }
        if (word == "-h" || word == "--help") return Check::Help;
        if (!looksLikeOption(word)) continue;
        const size_t equals = word.find('=');
        if (word.rfind("--", 0) == 0 && equals != std::string::npos) {
            args.insert(args.begin() + long(i) + 1, word.substr(equals + 1));
            args[i] = word = word.substr(0, equals);
        }
        const OptionSpec* option = findOption(command, word);
        if (!option) {
            vorelux::cli::usageError(name, "opção desconhecida: " + word);
            return Check::Error;
        }
        if (option->value.empty()) continue;
        if (i + 1 >= args.size()) {
            vorelux::cli::usageError(name, "falta o valor de " + word + " (" + option->value + ")");
            return Check::Error;
        }
        ++i; // the value, whatever it looks like
    }
    return Check::Run;
}

int unknownCommand(const std::string& word) {
    std::cerr << "vorelux: comando desconhecido: \"" << word
              << "\"; os comandos estão em \"vorelux --help\"\n";
    return 2;
}

} // namespace

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

// "help", "help COMMAND", "--help" and "-h": the help on stdout.
int help(const std::vector<std::string>& args) {
    if (args.size() < 3) {
        printUsage(std::cout);
        return 0;
    }
    auto& table = vorelux::cli::commands();
    auto it = table.find(args[2]);
    if (it == table.end()) return unknownCommand(args[2]);
    printCommandHelp(it->second);
    return 0;
}

int main(int argc, char** argv) {
    setUpWindowsConsole();
    const std::vector<std::string> argsIn = utf8Arguments(argc, argv);
    if (argsIn.size() < 2) {
        std::cerr << MainUsage << "veja \"vorelux --help\"\n";
        return 2;
    }
    const std::string& first = argsIn[1];
    if (first == "--version") {
        std::cout << "vorelux " << VORELUX_VERSION << "\n";
        return 0;
    }
    if (first == "--help" || first == "-h" || first == "help") return help(argsIn);
    if (looksLikeOption(first)) {
        std::cerr << "vorelux: opção desconhecida: " << first << "; veja \"vorelux --help\"\n";
        return 2;
    }
    auto& table = vorelux::cli::commands();
    auto it = table.find(first);
    if (it == table.end()) return unknownCommand(first);
    vorelux::cli::Args args(argsIn.begin() + 2, argsIn.end());
    switch (checkArguments(it->first, it->second, args)) {
    case Check::Help:
        printCommandHelp(it->second);
        return 0;
    case Check::Error:
        return 2;
    case Check::Run:
        break;
    }
    return it->second.run(args);
}

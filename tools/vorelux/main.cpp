#include "command.h"
#include "vorelux_version.h"

#include <cstdio>
#include <iostream>

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

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::cout << "vorelux " << VORELUX_VERSION << "\n";
        return 0;
    }
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "help") {
        usage();
        return argc < 2 ? 2 : 0;
    }
    auto& table = vorelux::cli::commands();
    auto it = table.find(argv[1]);
    if (it == table.end()) {
        std::cerr << "vorelux: unknown command '" << argv[1] << "'\n";
        usage();
        return 2;
    }
    vorelux::cli::Args args(argv + 2, argv + argc);
    return it->second.run(args);
}

#pragma once
// Registry of `vorelux` subcommands. Each command lives in its own cmd_*.cpp
// and registers itself with a static CommandRegistration.
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vorelux::cli {

using Args = std::vector<std::string>;
// Returns the process exit code.
using CommandFn = std::function<int(const Args& args)>;

struct Command {
    std::string usage;   // one line: "dump FILE.vpg"
    std::string summary; // what it does
    CommandFn run;
};

std::map<std::string, Command>& commands();

struct CommandRegistration {
    CommandRegistration(const std::string& name, Command command) {
        commands()[name] = std::move(command);
    }
};

// Small helpers shared by the commands.
// Finds "--name VALUE" in args, removes both and returns VALUE; empty when absent.
bool takeOption(Args& args, const std::string& name, std::string& value);
// Finds a bare "--flag" in args and removes it.
bool takeFlag(Args& args, const std::string& name);
// Parses a whole decimal integer; false on anything else.
bool parseInt(const std::string& text, long& value);
std::string hexBytes(const unsigned char* data, size_t count);

} // namespace vorelux::cli

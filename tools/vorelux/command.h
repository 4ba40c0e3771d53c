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

// An option a command takes: "--page" with its value "P", or a bare flag
// (no value), and what it does, for the command's help.
struct OptionSpec {
    std::string name;
    std::string value; // empty: a flag
    std::string help;
};
using OptionSpecs = std::vector<OptionSpec>;

struct Command {
    Command() = default;
    Command(std::string usage_, std::string summary_, CommandFn run_, OptionSpecs options_ = {},
            std::string notes_ = {})
        : usage(std::move(usage_)), summary(std::move(summary_)), run(std::move(run_)),
          options(std::move(options_)), notes(std::move(notes_)) {}

    std::string usage;   // one line: "dump ARQUIVO.vpg"
    std::string summary; // what it does
    CommandFn run;
    OptionSpecs options; // every option it takes; the command line is checked against them
    std::string notes;   // more lines for its help (the values of an argument), or empty
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

// Tells a usage error of `command` on stderr: the problem, the command's
// usage line and where its help is; returns the usage exit code (2).
int usageError(const std::string& command, const std::string& problem = {});

} // namespace vorelux::cli

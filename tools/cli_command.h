#pragma once
// Each cli_*.cpp file registers its subcommand with a static CliCommand.
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

namespace pellaro::cli {

using Args = std::vector<std::string>;  // UTF-8 in both editions
// Returns the exit code; prints facts one a line on standard output.
using Handler = std::function<int(const Args& args)>;

// Exit codes, the same for every command.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;  // the command ran and the answer is "no" (link error, pin failure, ...)
constexpr int kExitUsage = 2;   // the command line was wrong; nothing was done

struct CliCommand {
    // usage: one line for the command list; help: the full text of `help NAME`.
    CliCommand(std::string name, std::string usage, std::string help, Handler handler);
};

// Prints "pellaro-cli NAME: why" and the command's usage on standard error; returns kExitUsage.
int UsageError(const std::string& name, const std::string& why);

// Options before operands' order does not matter; "--" ends the options, so an
// operand may start with "-". An option that is not listed is an error.
struct ParsedArgs {
    std::set<std::string> flags;
    std::vector<std::pair<std::string, std::string>> values;  // valued options, in order
    Args operands;
    std::string error;  // empty when the arguments parsed

    bool Has(const std::string& flag) const { return flags.count(flag) != 0; }
    const std::string* Value(const std::string& option) const;  // the last one given
};
ParsedArgs ParseArgs(const Args& args, std::initializer_list<const char*> flags,
                     std::initializer_list<const char*> valued = {});

}  // namespace pellaro::cli

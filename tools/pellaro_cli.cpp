// pellaro-cli: the support and operations tool, built from the player's core.
#include "pellaro_cli.h"

#include <iostream>
#include <map>
#include <string>

#include "cli_command.h"
#include "pellaro_profile.h"

namespace pellaro::cli {
namespace {

struct Entry {
    std::string usage;
    std::string help;
    Handler handler;
};

std::map<std::string, Entry>& Commands() {
    static std::map<std::string, Entry> commands;
    return commands;
}

void PrintUsage(std::ostream& out) {
    out << "usage: pellaro-cli COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const auto& [name, entry] : Commands()) out << "  " << entry.usage << "\n";
    out << "  help [COMMAND]\n\n"
           "pellaro-cli help COMMAND (or COMMAND --help) explains one command.\n"
           "exit codes: 0 done, 1 the answer is a failure (printed), 2 usage error\n"
           "build profile: "
        << profile::ProfileName() << "\n";
}

bool IsHelpOption(const std::string& arg) { return arg == "--help" || arg == "-h"; }

// True when --help or -h comes before any "--".
bool AsksForHelp(const Args& args) {
    for (const std::string& arg : args) {
        if (arg == "--") return false;
        if (IsHelpOption(arg)) return true;
    }
    return false;
}

int UnknownCommand(const std::string& name) {
    std::cerr << "pellaro-cli: unknown command '" << name << "'\n";
    PrintUsage(std::cerr);
    return kExitUsage;
}

}  // namespace

CliCommand::CliCommand(std::string name, std::string usage, std::string help, Handler handler) {
    Commands()[std::move(name)] = Entry{std::move(usage), std::move(help), std::move(handler)};
}

int UsageError(const std::string& name, const std::string& why) {
    std::cerr << "pellaro-cli " << name << ": " << why << "\n";
    const auto it = Commands().find(name);
    if (it != Commands().end()) std::cerr << "usage: pellaro-cli " << it->second.usage << "\n";
    std::cerr << "(pellaro-cli help " << name << " explains it)\n";
    return kExitUsage;
}

const std::string* ParsedArgs::Value(const std::string& option) const {
    const std::string* found = nullptr;
    for (const auto& [name, value] : values)
        if (name == option) found = &value;
    return found;
}

ParsedArgs ParseArgs(const Args& args, std::initializer_list<const char*> flags,
                     std::initializer_list<const char*> valued) {
    const auto listed = [](std::initializer_list<const char*> names, const std::string& arg) {
        for (const char* name : names)
            if (arg == name) return true;
        return false;
    };
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            parsed.operands.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (listed(flags, arg)) {
            parsed.flags.insert(arg);
        } else if (listed(valued, arg)) {
            if (i + 1 >= args.size()) {
                parsed.error = arg + " needs a value";
                return parsed;
            }
            parsed.values.emplace_back(arg, args[++i]);
        } else {
            parsed.error = "unknown option '" + arg + "'";
            return parsed;
        }
    }
    return parsed;
}

int RunCli(const Args& args) {
    if (args.empty()) {
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (IsHelpOption(first) || first == "help") {
        if (first != "help" || args.size() == 1) {
            PrintUsage(std::cout);
            return kExitDone;
        }
        if (args.size() > 2) return UsageError("help", "help wants one COMMAND");
        const auto it = Commands().find(args[1]);
        if (it == Commands().end()) return UnknownCommand(args[1]);
        std::cout << it->second.help;
        return kExitDone;
    }
    const auto it = Commands().find(first);
    if (it == Commands().end()) return UnknownCommand(first);
    const Args rest(args.begin() + 1, args.end());
    if (AsksForHelp(rest)) {
        std::cout << it->second.help;
        return kExitDone;
    }
    return it->second.handler(rest);
}

}  // namespace pellaro::cli

// pellaro-cli: the support and operations tool, built from the player's core.
#include "pellaro_cli.h"

#include <iostream>
#include <map>
#include <string>

#include "cli_command.h"
#include "core/app_record.h"
#include "core/text.h"
#include "pellaro_profile.h"
#include "platform/debug_log.h"

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
    out << "usage: pellaro-cli [--debug] COMMAND [ARGUMENTS]\n\ncommands:\n";
    for (const auto& [name, entry] : Commands()) out << "  " << entry.usage << "\n";
    out << "  help [COMMAND]\n"
           "\n"
           "options:\n"
           "  --debug    the player's debug lines on standard error (anywhere before \"--\")\n"
           "  --version  this tool's version and build profile\n"
           "\n"
           "pellaro-cli help COMMAND (or COMMAND --help) explains one command.\n"
           "exit codes: 0 done, 1 the answer is a failure or could not be had (printed), 2 usage error\n"
           "build profile: "
        << profile::ProfileName() << "\n";
}

constexpr char kHelpHelp[] =
    "usage: pellaro-cli help [COMMAND]\n"
    "\n"
    "Without COMMAND, lists the commands and options; with one, prints that\n"
    "command's full help, as COMMAND --help does. Nothing is contacted.\n"
    "\n"
    "exit codes: 0 done, 2 usage error (an unknown COMMAND)\n";

// Debug lines (the player's own progress lines) only when asked for.
void RouteDebugLines(bool wanted) {
    if (wanted) {
        SetDebugSink([](std::string_view line) { std::cerr << line << "\n" << std::flush; });
    } else {
        SetDebugSink([](std::string_view) {});
    }
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
    if (it != Commands().end()) {
        std::cerr << "usage: pellaro-cli " << it->second.usage << "\n";
        std::cerr << "(pellaro-cli help " << name << " explains it)\n";
    } else {
        std::cerr << "(pellaro-cli help lists the commands and options)\n";
    }
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

int RunCli(const Args& given) {
    Args args;
    bool debug = false;
    bool optionsEnded = false;
    for (const std::string& arg : given) {
        if (!optionsEnded && arg == "--debug") {
            debug = true;
            continue;
        }
        optionsEnded = optionsEnded || arg == "--";
        args.push_back(arg);
    }
    RouteDebugLines(debug);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return kExitUsage;
    }
    const std::string& first = args[0];
    if (first == "--version") {
        if (args.size() > 1) return UsageError("--version", "--version takes no arguments");
        std::cout << "pellaro-cli " << ToUtf8(App().versionText) << " (build profile " << profile::ProfileName()
                  << ")\n";
        return kExitDone;
    }
    if (IsHelpOption(first) || first == "help") {
        if (first != "help" || args.size() == 1) {
            PrintUsage(std::cout);
            return kExitDone;
        }
        if (args.size() > 2) return UsageError("help", "help wants one COMMAND");
        if (args[1] == "help" || IsHelpOption(args[1])) {
            std::cout << kHelpHelp;
            return kExitDone;
        }
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

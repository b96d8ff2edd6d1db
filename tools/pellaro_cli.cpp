// pellaro-cli: the support and operations tool, built from the player's core.
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cli_command.h"
#include "pellaro_profile.h"

namespace pellaro::cli {
namespace {

struct Entry {
    std::string usage;
    Handler handler;
};

std::map<std::string, Entry>& Commands() {
    static std::map<std::string, Entry> commands;
    return commands;
}

void PrintUsage(std::ostream& out) {
    out << "usage: pellaro-cli <command> [arguments]\n\ncommands:\n";
    for (const auto& [name, entry] : Commands()) out << "  " << entry.usage << "\n";
    out << "  --help\n\nbuild profile: " << profile::ProfileName() << "\n";
}

}  // namespace

CliCommand::CliCommand(std::string name, std::string usage, Handler handler) {
    Commands()[std::move(name)] = Entry{std::move(usage), std::move(handler)};
}

}  // namespace pellaro::cli

int main(int argc, char** argv) {
    using namespace pellaro::cli;
    const Args args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return 2;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(std::cout);
        return 0;
    }
    const auto it = Commands().find(args[0]);
    if (it == Commands().end()) {
        std::cerr << "pellaro-cli: unknown command '" << args[0] << "'\n";
        PrintUsage(std::cerr);
        return 2;
    }
    return it->second.handler(Args(args.begin() + 1, args.end()));
}

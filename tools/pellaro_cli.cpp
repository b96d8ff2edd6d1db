// pellaro-cli: the support and operations tool, built from the player's core.
#include <iostream>
#include <string>
#include <vector>

#include "pellaro_profile.h"

namespace {

const char kUsage[] =
    "usage: pellaro-cli <command> [arguments]\n"
    "\n"
    "commands:\n"
    "  --help                         this text\n";

int Run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kUsage << "profile: " << pellaro::profile::ProfileName() << "\n";
        return args.empty() ? 2 : 0;
    }
    std::cerr << "pellaro-cli: unknown command '" << args[0] << "'\n" << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return Run(args);
}

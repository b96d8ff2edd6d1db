#pragma once
// Each cli_*.cpp file registers its subcommand with a static CliCommand.
#include <functional>
#include <string>
#include <vector>

namespace pellaro::cli {

using Args = std::vector<std::string>;
// Returns the exit code; prints facts one a line on standard output.
using Handler = std::function<int(const Args& args)>;

struct CliCommand {
    CliCommand(std::string name, std::string usage, Handler handler);
};

}  // namespace pellaro::cli

#pragma once
// The tool's whole run, from its arguments (UTF-8) to its exit code; each
// edition's entry point only gathers the arguments and sets up the output.
#include "cli_command.h"

namespace pellaro::cli {

int RunCli(const Args& args);

}  // namespace pellaro::cli

// Linux entry: the arguments arrive as UTF-8 bytes already.
#include "pellaro_cli.h"

int main(int argc, char** argv) { return pellaro::cli::RunCli(pellaro::cli::Args(argv + 1, argv + argc)); }

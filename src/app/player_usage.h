#pragma once
// What the player prints for --help and --version (Linux edition, whose
// terminal users ask it; the Windows edition is a GUI program without a console).
#include <string>

namespace pellaro {

// The exit code of a start without a display to show the windows on: a failed start.
inline constexpr int kNoDisplayExitCode = 1;

std::string PlayerUsage(const std::string& programName);
std::string PlayerVersion();  // "Tovrel Academy 4.12.0 (build profile demo)"
std::string NoDisplayLine(const std::string& programName);

}  // namespace pellaro

#pragma once
// Progress and failure lines for the debugger output (standard error on Linux).
#include <functional>
#include <string_view>

namespace pellaro {

// Writes one narrow line; the line break is added here.
void DebugLine(std::string_view line);

// Tests replace where the lines go; an empty function restores the platform sink.
void SetDebugSink(std::function<void(std::string_view)> sink);

// The platform sink (OutputDebugStringA, or standard error).
void PlatformDebugLine(std::string_view line);

}  // namespace pellaro

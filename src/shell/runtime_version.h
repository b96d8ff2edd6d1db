#pragma once
// Version texts of the browser runtime, as the loader reports them.
#include <cstdint>
#include <string>

namespace pellaro {

// "a.b.c.d" from the two 32-bit halves of a file version.
std::wstring FileVersionText(std::uint32_t mostSignificant, std::uint32_t leastSignificant);
// An evergreen client's "pv" that names an installed runtime: dotted numbers,
// and not 0.0.0.0 (left behind after an uninstall).
bool IsInstalledRuntimeVersion(const std::wstring& pv);

}  // namespace pellaro

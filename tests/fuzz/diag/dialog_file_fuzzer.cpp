// The file the diagnostic dialog process reads: any bytes are refused or
// parsed without throwing, and what parses survives being written again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "diag/diagnostic_dialog_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parsed = pellaro::ParseDiagnosticDialogFile(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed && pellaro::ParseDiagnosticDialogFile(pellaro::BuildDiagnosticDialogFile(*parsed)) != parsed)
        __builtin_trap();
    return 0;
}

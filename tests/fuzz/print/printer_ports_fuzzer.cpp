// Device URIs and port names come from the spooler or the CUPS server: the
// rules must take any text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/text.h"
#include "print/physical_printers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)pellaro::print::IsPhysicalDeviceUri(text);
    const auto split = text.find('\n');
    const std::wstring port = pellaro::FromUtf8(text.substr(0, split));
    const std::wstring monitor = split == std::string_view::npos ? std::wstring()
                                                                 : pellaro::FromUtf8(text.substr(split + 1));
    (void)pellaro::print::IsPhysicalPort(port, monitor);
    (void)pellaro::print::IsDefaultPrinterName(port, monitor);
    return 0;
}

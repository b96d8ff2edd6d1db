#include "print/physical_printers.h"

#include <algorithm>
#include <array>

#include "core/text.h"

namespace pellaro::print {
namespace {

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) return false;
    return LowerUnits(text.substr(0, prefix.size())) == LowerUnits(prefix);
}

bool ContainsNoCase(std::wstring_view text, std::wstring_view part) {
    return LowerUnits(text).find(LowerUnits(part)) != std::wstring::npos;
}

// Wide text as UTF-16 code units, whatever the width of wchar_t.
std::u16string Utf16Units(std::wstring_view text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        auto cp = static_cast<char32_t>(c);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            units += static_cast<char16_t>(0xD800 + (cp >> 10));
            units += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            units += static_cast<char16_t>(cp);
        }
    }
    return units;
}

bool IsLoopbackHost(std::string_view host) {
    return host == "localhost" || host.starts_with("127.") || host == "[::1]" || host.ends_with(".localhost");
}

}  // namespace

bool IsPhysicalPort(std::wstring_view port, std::wstring_view monitor) {
    static constexpr std::array<std::wstring_view, 5> kPortPrefixes = {L"USB", L"LPT", L"COM", L"WSD", L"IP_"};
    for (auto prefix : kPortPrefixes) {
        if (StartsWithNoCase(port, prefix)) return true;
    }
    if (!port.empty() && port.front() >= L'0' && port.front() <= L'9' && port.find(L'.') != std::wstring_view::npos) {
        return true;
    }
    static constexpr std::array<std::wstring_view, 6> kMonitorParts = {L"USB", L"TCP/IP",  L"TCPIP",
                                                                       L"WSD", L"Hewlett", L"HP "};
    for (auto part : kMonitorParts) {
        if (ContainsNoCase(monitor, part)) return true;
    }
    return false;
}

bool IsPhysicalDeviceUri(std::string_view deviceUri) {
    const auto colon = deviceUri.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    const std::string scheme = LowerAscii(deviceUri.substr(0, colon));
    static constexpr std::array<std::string_view, 6> kDeviceSchemes = {"usb",    "parallel", "serial",
                                                                       "socket", "hp",       "lpd"};
    if (std::find(kDeviceSchemes.begin(), kDeviceSchemes.end(), scheme) != kDeviceSchemes.end()) {
        return true;
    }
    if (scheme == "dnssd") return true;
    if (scheme != "ipp" && scheme != "ipps") return false;
    // An IPP address of a queue on this machine's own spooler is another queue,
    // possibly a virtual one, not a device.
    std::string_view rest = deviceUri.substr(colon + 1);
    if (!rest.starts_with("//")) return false;
    rest.remove_prefix(2);
    const auto pathStart = rest.find('/');
    std::string_view authority = rest.substr(0, pathStart);
    const std::string_view path = pathStart == std::string_view::npos ? "" : rest.substr(pathStart);
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    std::string host = LowerAscii(authority);
    if (!host.starts_with("[")) {
        if (const auto portColon = host.find(':'); portColon != std::string::npos) host.resize(portColon);
    } else if (const auto close = host.find(']'); close != std::string::npos) {
        host.resize(close + 1);
    }
    if (host.empty()) return false;
    const bool queuePath = path.starts_with("/printers/") || path.starts_with("/classes/");
    return !(IsLoopbackHost(host) && queuePath);
}

bool IsDefaultPrinterName(std::wstring_view name, std::wstring_view defaultName) {
    if (defaultName.empty() || name.size() != defaultName.size()) return false;
    return LowerUnits(name) == LowerUnits(defaultName);
}

void SortPrinters(std::vector<PrinterEntry>& printers) {
    std::stable_sort(printers.begin(), printers.end(), [](const PrinterEntry& a, const PrinterEntry& b) {
        if (a.isDefault != b.isDefault) return a.isDefault;
        return Utf16Units(a.name) < Utf16Units(b.name);
    });
}

std::vector<PrinterEntry> SelectPhysicalByPort(const std::vector<InstalledPrinter>& printers, const PortMap& ports,
                                               std::wstring_view defaultName) {
    std::vector<PrinterEntry> kept;
    for (const auto& printer : printers) {
        const auto monitor = ports.find(printer.port);
        const std::wstring_view monitorName = monitor == ports.end() ? std::wstring_view{} : monitor->second;
        if (!IsPhysicalPort(printer.port, monitorName)) continue;
        kept.push_back({printer.name, printer.port, printer.driver, IsDefaultPrinterName(printer.name, defaultName)});
    }
    SortPrinters(kept);
    return kept;
}

std::vector<PrinterEntry> SelectPhysicalByDeviceUri(const std::vector<InstalledPrinter>& printers,
                                                    std::wstring_view defaultName) {
    std::vector<PrinterEntry> kept;
    for (const auto& printer : printers) {
        if (!IsPhysicalDeviceUri(ToUtf8(printer.port))) continue;
        kept.push_back({printer.name, printer.port, printer.driver, IsDefaultPrinterName(printer.name, defaultName)});
    }
    SortPrinters(kept);
    return kept;
}

}  // namespace pellaro::print

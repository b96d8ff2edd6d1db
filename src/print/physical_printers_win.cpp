#include "print/physical_printers.h"

#include <windows.h>
#include <winspool.h>

#include <vector>

#include "print/default_printer_win.h"

namespace pellaro::print {
namespace {

std::wstring OrEmpty(const wchar_t* text) { return text ? std::wstring(text) : std::wstring(); }

PortMap ListPortMonitors() {
    PortMap ports;
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) return ports;
    std::vector<BYTE> buffer(needed);
    if (!EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count)) return ports;
    const auto* info = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        if (!info[i].pPortName || !*info[i].pPortName) continue;
        ports[info[i].pPortName] = OrEmpty(info[i].pMonitorName);  // a later entry replaces an earlier one
    }
    return ports;
}

std::vector<InstalledPrinter> ListInstalledPrinters() {
    std::vector<InstalledPrinter> printers;
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersW(kFlags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0) return printers;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersW(kFlags, nullptr, 2, buffer.data(), needed, &needed, &count)) return printers;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
        printers.push_back({OrEmpty(info[i].pPrinterName), OrEmpty(info[i].pPortName), OrEmpty(info[i].pDriverName)});
    }
    return printers;
}

}  // namespace

std::vector<PrinterEntry> ListPhysicalPrinters() {
    const PortMap ports = ListPortMonitors();
    const std::wstring defaultName = DefaultPrinterName();
    return SelectPhysicalByPort(ListInstalledPrinters(), ports, defaultName);
}

}  // namespace pellaro::print

#pragma once
// Which installed printers are real devices, and in what order they are offered.
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "print/printer_entry.h"

namespace pellaro::print {

// Port name -> port-monitor name, as the spooler lists its ports.
using PortMap = std::map<std::wstring, std::wstring>;

// True when the port name or its monitor marks a physical device
// (USB, parallel, serial, WSD, IP ports, raw network addresses, vendor monitors).
bool IsPhysicalPort(std::wstring_view port, std::wstring_view monitor);

// True when a CUPS device URI leads to a device (usb, parallel, serial, socket,
// ipp/ipps/lpd/dnssd to a device, hp) and not to a file, PDF writer or other
// virtual backend.
bool IsPhysicalDeviceUri(std::string_view deviceUri);

// Case-insensitive comparison of a printer name with the default printer's name.
// An empty default name matches nothing.
bool IsDefaultPrinterName(std::wstring_view name, std::wstring_view defaultName);

// Default printers first, then by name in UTF-16 code-unit order (case-sensitive).
void SortPrinters(std::vector<PrinterEntry>& printers);

// A printer as enumerated, before filtering.
struct InstalledPrinter {
    std::wstring name;
    std::wstring port;
    std::wstring driver;
};

// Windows rule: keeps printers whose port (or its monitor from the map) is
// physical, marks the default one and sorts.
std::vector<PrinterEntry> SelectPhysicalByPort(const std::vector<InstalledPrinter>& printers, const PortMap& ports,
                                               std::wstring_view defaultName);

// CUPS rule: `port` holds the queue's device URI; keeps the physical ones,
// marks the default one and sorts.
std::vector<PrinterEntry> SelectPhysicalByDeviceUri(const std::vector<InstalledPrinter>& printers,
                                                    std::wstring_view defaultName);

// The installed physical printers of this machine, sorted; empty when the
// spooler (or CUPS) cannot be asked.
std::vector<PrinterEntry> ListPhysicalPrinters();

}  // namespace pellaro::print

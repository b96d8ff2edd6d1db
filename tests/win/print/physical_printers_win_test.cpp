// The spooler as this system reports it: whatever Wine (or Windows) lists, the
// result must be filtered, marked and ordered by the portable rules.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "core/text.h"
#include "print/default_printer_win.h"
#include "print/physical_printers.h"

namespace pellaro::print {
namespace {

TEST(ListPhysicalPrintersWin, AgreesWithTheSpoolerAndTheRules) {
    PortMap ports;
    DWORD needed = 0, count = 0;
    EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> portBuffer(needed ? needed : 1);
    if (needed && EnumPortsW(nullptr, 2, portBuffer.data(), needed, &needed, &count)) {
        const auto* info = reinterpret_cast<const PORT_INFO_2W*>(portBuffer.data());
        for (DWORD i = 0; i < count; ++i) {
            if (info[i].pPortName && *info[i].pPortName) {
                ports[info[i].pPortName] = info[i].pMonitorName ? info[i].pMonitorName : L"";
            }
        }
    }
    std::printf("spooler ports: %zu\n", ports.size());
    for (const auto& [port, monitor] : ports) {
        std::printf("  port '%s' monitor '%s'\n", ToUtf8(port).c_str(), ToUtf8(monitor).c_str());
    }

    needed = count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<InstalledPrinter> installed;
    std::vector<BYTE> printerBuffer(needed ? needed : 1);
    if (needed && EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, printerBuffer.data(),
                                needed, &needed, &count)) {
        const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(printerBuffer.data());
        for (DWORD i = 0; i < count; ++i) {
            installed.push_back({info[i].pPrinterName ? info[i].pPrinterName : L"",
                                 info[i].pPortName ? info[i].pPortName : L"",
                                 info[i].pDriverName ? info[i].pDriverName : L""});
            std::printf("  printer '%s' port '%s'\n", ToUtf8(installed.back().name).c_str(),
                        ToUtf8(installed.back().port).c_str());
        }
    }
    const std::wstring defaultName = DefaultPrinterName();
    std::printf("default printer: '%s'; export 203 is GetDefaultPrinterW: %s\n", ToUtf8(defaultName).c_str(),
                DefaultPrinterOrdinalIsNamedExport() ? "yes" : "no");

    const auto listed = ListPhysicalPrinters();
    const auto expected = SelectPhysicalByPort(installed, ports, defaultName);
    ASSERT_EQ(listed.size(), expected.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i].name, expected[i].name);
        EXPECT_EQ(listed[i].isDefault, expected[i].isDefault);
        const auto monitor = ports.find(listed[i].port);
        EXPECT_TRUE(IsPhysicalPort(listed[i].port, monitor == ports.end() ? L"" : monitor->second));
    }
}

TEST(DefaultPrinterNameWin, MatchesTheNamedQuery) {
    wchar_t buffer[256] = {};
    DWORD size = 256;
    const std::wstring named = GetDefaultPrinterW(buffer, &size) ? buffer : L"";
    EXPECT_EQ(DefaultPrinterName(), named);
}

}  // namespace
}  // namespace pellaro::print

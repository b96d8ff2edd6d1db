#include "print/physical_printers.h"

#include <gtest/gtest.h>

#include "core/text.h"

namespace pellaro::print {
namespace {

struct PortCase {
    const wchar_t* port;
    const wchar_t* monitor;
    bool physical;
};

TEST(IsPhysicalPortTest, FollowsPortThenMonitorRules) {
    const PortCase cases[] = {
        {L"USB001", L"", true},
        {L"usb002", L"Local Port", true},
        {L"LPT1:", L"Local Port", true},
        {L"com3:", L"Local Port", true},
        {L"WSD-6f1c2b7e-0001", L"", true},
        {L"IP_10.0.0.7", L"", true},
        {L"192.168.1.20", L"", true},
        {L"10_0_0_7", L"", false},  // digit first but no dot
        {L".5", L"", false},        // dot but not digit first
        {L"FILE:", L"Local Port", false},
        {L"PORTPROMPT:", L"Local Port", false},
        {L"XPSPort:", L"Local Port", false},
        {L"SHRFAX:", L"Microsoft Shared Fax Monitor", false},
        {L"Office laser", L"Standard TCP/IP Port", true},
        {L"Office laser", L"tcpip monitor", true},
        {L"Upstairs", L"WSD Port", true},
        {L"Upstairs", L"Dynamic USB Monitor", true},
        {L"Studio", L"hewlett-packard network port", true},
        {L"Studio", L"HP Standard Port", true},
        {L"Studio", L"HPX Monitor", false},  // "HP" needs its trailing blank
        {L"", L"", false},
        {L"XUSB", L"", false},  // prefix only at the start
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsPhysicalPort(c.port, c.monitor), c.physical)
            << "port '" << ToUtf8(c.port) << "' monitor '" << ToUtf8(c.monitor) << "'";
    }
}

TEST(IsPhysicalDeviceUriTest, KeepsDevicesAndDropsVirtualBackends) {
    const std::pair<const char*, bool> cases[] = {
        {"usb://Maker/Model?serial=42", true},
        {"parallel:/dev/lp0", true},
        {"serial:/dev/ttyS0?baud=9600", true},
        {"socket://127.0.0.1:9100", true},
        {"SOCKET://10.0.0.5", true},
        {"ipp://printer.example/ipp/print", true},
        {"ipps://10.0.0.9:631/ipp/print", true},
        {"lpd://10.0.0.5/queue", true},
        {"dnssd://Office%20Laser._ipp._tcp.local/?uuid=1", true},
        {"hp:/usb/Model?serial=1", true},
        {"ipp://localhost/printers/PDF", false},  // another local queue
        {"ipp://127.0.0.1:631/classes/all", false},
        {"ipp://localhost:631/ipp/print", true},  // a device on this machine
        {"file:/dev/null", false},
        {"file:///tmp/out.prn", false},
        {"cups-pdf:/", false},
        {"hpfax:/usb/Model", false},
        {"implicitclass://Office/", false},
        {"ipp:", false},
        {"", false},
        {"socket", false},
    };
    for (const auto& [uri, physical] : cases) EXPECT_EQ(IsPhysicalDeviceUri(uri), physical) << uri;
}

TEST(IsDefaultPrinterNameTest, IgnoresCaseAndNeedsEqualLength) {
    EXPECT_TRUE(IsDefaultPrinterName(L"Office Laser", L"office LASER"));
    EXPECT_FALSE(IsDefaultPrinterName(L"Office Laser", L"Office Laser 2"));
    EXPECT_FALSE(IsDefaultPrinterName(L"Office", L"Office Laser"));
    EXPECT_FALSE(IsDefaultPrinterName(L"", L""));
}

std::vector<std::wstring> Names(const std::vector<PrinterEntry>& printers) {
    std::vector<std::wstring> names;
    for (const auto& p : printers) names.push_back(p.name);
    return names;
}

TEST(SelectPhysicalByPortTest, FiltersMarksDefaultAndSorts) {
    const std::vector<InstalledPrinter> installed = {
        {L"b", L"USB001", L"Driver B"}, {L"Zebra", L"Custom", L"Driver Z"},  // physical through its monitor
        {L"A", L"LPT1:", L"Driver A"},  {L"Microsoft Print to PDF", L"PORTPROMPT:", L"PDF"},
        {L"Fax", L"SHRFAX:", L"Fax"},   {L"Unlisted port", L"Nowhere", L"X"},  // no monitor known: not physical
    };
    const PortMap ports = {{L"Custom", L"Standard TCP/IP Port"},
                           {L"PORTPROMPT:", L"Local Port"},
                           {L"SHRFAX:", L"Microsoft Shared Fax Monitor"}};
    const auto printers = SelectPhysicalByPort(installed, ports, L"zebra");
    EXPECT_EQ(Names(printers), (std::vector<std::wstring>{L"Zebra", L"A", L"b"}));
    ASSERT_EQ(printers.size(), 3u);
    EXPECT_TRUE(printers[0].isDefault);
    EXPECT_FALSE(printers[1].isDefault);
    EXPECT_EQ(printers[0].port, L"Custom");
    EXPECT_EQ(printers[0].driver, L"Driver Z");
}

TEST(SortPrintersTest, OrdersByUtf16CodeUnits) {
    // U+FF21 sorts after U+1F600 in UTF-16 (the latter starts with a surrogate
    // unit 0xD83D), though not by code point.
    const std::wstring emoji = sizeof(wchar_t) == 2
                                   ? std::wstring{static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)}
                                   : std::wstring(1, static_cast<wchar_t>(0x1F600));
    std::vector<PrinterEntry> printers = {
        {L"\xFF21", L"", L"", false}, {emoji, L"", L"", false}, {L"a", L"", L"", false}, {L"B", L"", L"", false}};
    SortPrinters(printers);
    ASSERT_EQ(printers.size(), 4u);
    EXPECT_EQ(printers[0].name, L"B");
    EXPECT_EQ(printers[1].name, L"a");
    EXPECT_EQ(printers[2].name, emoji);
    EXPECT_EQ(printers[3].name, L"\xFF21");
}

TEST(SelectPhysicalByDeviceUriTest, KeepsDeviceQueuesOnly) {
    const std::vector<InstalledPrinter> installed = {
        {L"Office", L"socket://127.0.0.1:9100", L""},
        {L"PDF", L"cups-pdf:/", L""},
        {L"Null", L"file:/dev/null", L""},
        {L"Lab", L"usb://Maker/Model", L""},
    };
    const auto printers = SelectPhysicalByDeviceUri(installed, L"LAB");
    EXPECT_EQ(Names(printers), (std::vector<std::wstring>{L"Lab", L"Office"}));
    EXPECT_TRUE(printers.front().isDefault);
}

}  // namespace
}  // namespace pellaro::print

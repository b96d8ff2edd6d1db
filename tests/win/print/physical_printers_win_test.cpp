// The spooler as this system reports it, with printers of the test's own:
// written where the spooler keeps its printers (as an installer would) and
// removed afterwards. Wine's own queues (CUPS ports) are not physical, so
// without them there would be nothing to offer.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "print/default_printer_win.h"
#include "print/physical_printers.h"

namespace pellaro::print {
namespace {

const std::wstring kPrintersKey = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";

class TestPrinters {
public:
    explicit TestPrinters(std::vector<std::pair<std::wstring, std::wstring>> namesAndPorts)
        : printers_(std::move(namesAndPorts)) {
        for (const auto& [name, port] : printers_) {
            HKEY key = nullptr;
            EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kPrintersKey + name).c_str(), 0, nullptr, 0, KEY_WRITE,
                                      nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            Set(key, L"Name", name);
            Set(key, L"Port", port);
            Set(key, L"Printer Driver", L"Generic / Text Only");
            RegCloseKey(key);
        }
    }
    ~TestPrinters() {
        for (const auto& entry : printers_) RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kPrintersKey + entry.first).c_str());
    }

private:
    static void Set(HKEY key, const wchar_t* value, const std::wstring& text) {
        EXPECT_EQ(RegSetValueExW(key, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    std::vector<std::pair<std::wstring, std::wstring>> printers_;
};

// The user's default printer for the life of the object, written where the
// spooler reads it ("name,winspool,port"); Wine's SetDefaultPrinterW refuses
// a printer whose driver it cannot load.
class DefaultPrinter {
public:
    DefaultPrinter(const std::wstring& name, const std::wstring& port) {
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kWindowsKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
        wchar_t before[512] = {};
        DWORD size = sizeof before - sizeof(wchar_t);
        had_ = RegQueryValueExW(key_, L"Device", nullptr, nullptr, reinterpret_cast<BYTE*>(before), &size) ==
               ERROR_SUCCESS;
        before_ = before;
        Write(name + L",winspool," + port);
    }
    ~DefaultPrinter() {
        if (had_) Write(before_);
        else RegDeleteValueW(key_, L"Device");
        RegCloseKey(key_);
    }

private:
    static constexpr const wchar_t* kWindowsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
    void Write(const std::wstring& device) {
        EXPECT_EQ(RegSetValueExW(key_, L"Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(device.c_str()),
                                 static_cast<DWORD>((device.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    HKEY key_ = nullptr;
    bool had_ = false;
    std::wstring before_;
};

TEST(ListPhysicalPrintersWin, OffersThePrintersOnDevicePortsDefaultFirst) {
    const std::wstring usb = L"Pellaro Test A on USB", parallel = L"Pellaro Test B on LPT",
                       file = L"Pellaro Test C on FILE";
    TestPrinters added({{usb, L"USB001"}, {parallel, L"LPT1:"}, {file, L"FILE:"}});
    DefaultPrinter chosen(parallel, L"LPT1:");
    EXPECT_EQ(DefaultPrinterName(), parallel);

    std::vector<PrinterEntry> ours;
    for (const auto& printer : ListPhysicalPrinters()) {
        std::printf("listed: '%ls' on '%ls'%s\n", printer.name.c_str(), printer.port.c_str(),
                    printer.isDefault ? " (default)" : "");
        if (printer.name.rfind(L"Pellaro Test ", 0) == 0) ours.push_back(printer);
    }
    ASSERT_EQ(ours.size(), 2u);  // not the one on the file port
    EXPECT_EQ(ours[0].name, parallel);
    EXPECT_EQ(ours[0].port, L"LPT1:");
    EXPECT_TRUE(ours[0].isDefault);
    EXPECT_EQ(ours[1].name, usb);
    EXPECT_EQ(ours[1].port, L"USB001");
    EXPECT_FALSE(ours[1].isDefault);
}

TEST(DefaultPrinterNameWin, MatchesTheNamedQuery) {
    wchar_t buffer[256] = {};
    DWORD size = 256;
    const std::wstring named = GetDefaultPrinterW(buffer, &size) ? buffer : L"";
    EXPECT_EQ(DefaultPrinterName(), named);
}

}  // namespace
}  // namespace pellaro::print

#include "print/default_printer_win.h"

#include <windows.h>
#include <winspool.h>

namespace pellaro::print {
namespace {

constexpr WORD kDefaultPrinterOrdinal = 203;
using DefaultPrinterQuery = BOOL(WINAPI*)(LPWSTR, LPDWORD);

struct Exports {
    FARPROC byOrdinal = nullptr;
    FARPROC byName = nullptr;
};

Exports ResolveExports() {
    Exports exports;
    // From the system folder only, never a library of that name beside the program.
    if (HMODULE spooler = LoadLibraryExW(L"winspool.drv", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        exports.byOrdinal = GetProcAddress(spooler, MAKEINTRESOURCEA(kDefaultPrinterOrdinal));
        exports.byName = GetProcAddress(spooler, "GetDefaultPrinterW");
    }
    return exports;
}

}  // namespace

bool DefaultPrinterOrdinalIsNamedExport() {
    const Exports exports = ResolveExports();
    return exports.byOrdinal && exports.byOrdinal == exports.byName;
}

std::wstring DefaultPrinterName() {
    // The ordinal is only called when it is the documented query; on a system
    // whose numbering differs, calling an unknown export with this signature
    // could corrupt the stack, so the named query answers instead.
    const Exports exports = ResolveExports();
    const FARPROC chosen = exports.byOrdinal && exports.byOrdinal == exports.byName ? exports.byOrdinal
                                                                                    : exports.byName;
    auto query = reinterpret_cast<DefaultPrinterQuery>(reinterpret_cast<void*>(chosen));
    if (!query) query = &GetDefaultPrinterW;
    wchar_t buffer[256] = {};
    DWORD size = 256;
    if (!query(buffer, &size)) return {};
    buffer[255] = L'\0';
    return buffer;
}

}  // namespace pellaro::print

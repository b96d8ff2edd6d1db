#pragma once
// The user's default printer as the spooler reports it.
#include <string>

namespace pellaro::print {

// The spooler's default-printer query (winspool's export 203), into a zeroed
// 256-character buffer; empty when there is none or the query fails.
std::wstring DefaultPrinterName();

// True when winspool's export 203 is the documented GetDefaultPrinterW entry.
bool DefaultPrinterOrdinalIsNamedExport();

}  // namespace pellaro::print

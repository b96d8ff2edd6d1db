#pragma once
// The printer picker: a small dark modal dialog listing the physical printers.
#include <string>
#include <vector>

#include "print/printer_entry.h"

namespace pellaro::print {

// Lists the physical printers and lets the user pick one. `owner` is the
// window that hosts the browser (HWND on Windows, QWidget* on Linux), or null.
// Returns the chosen printer's name; empty when the dialog ended any other way
// than with Print, or when there is nothing to print on.
std::wstring SelectPhysicalPrinter(void* owner);

// The same dialog for a given list (already filtered and sorted).
std::wstring RunPrinterDialog(void* owner, const std::vector<PrinterEntry>& printers);

}  // namespace pellaro::print

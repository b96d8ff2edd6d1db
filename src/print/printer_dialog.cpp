#include "print/physical_printers.h"
#include "print/printer_dialog.h"

namespace pellaro::print {

std::wstring SelectPhysicalPrinter(void* owner) { return RunPrinterDialog(owner, ListPhysicalPrinters()); }

}  // namespace pellaro::print

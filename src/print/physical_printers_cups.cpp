#include "print/cups_queue.h"
#include "print/physical_printers.h"

namespace pellaro::print {

std::vector<PrinterEntry> ListPhysicalPrinters() {
    const CupsDestinations destinations = ListCupsDestinations();
    return SelectPhysicalByDeviceUri(destinations.printers, destinations.defaultName);
}

}  // namespace pellaro::print

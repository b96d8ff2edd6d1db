#pragma once
// One installed printer as the spooler (or CUPS) describes it.
#include <string>

namespace pellaro::print {

struct PrinterEntry {
    std::wstring name;
    std::wstring port;  // Windows: the port name; Linux: the queue's device URI
    std::wstring driver;
    bool isDefault = false;
};

}  // namespace pellaro::print

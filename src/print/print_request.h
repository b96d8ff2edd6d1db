#pragma once
// One print request from a page: pick a printer, print, and answer the page
// exactly once with a `printResult` message.
#include <functional>
#include <string>

#include "print/print_result.h"

namespace pellaro::print {

struct PrintRequestSteps {
    // Shows the picker; the chosen printer's name, or empty.
    std::function<std::wstring()> selectPrinter;
    // Starts the job on the named printer and reports its outcome once, now or later.
    std::function<void(const std::wstring& printer, std::function<void(PrintOutcome)> done)> startJob;
    // Sends the `printResult` JSON text to the page.
    std::function<void(const std::string& printResultJson)> post;
};

// One picker at a time: a request that arrives while the picker is open (a
// page repeating its request, the picker's own message loop delivering it)
// changes nothing: no second picker, no answer of its own.
void RunPrintRequest(const PrintRequestSteps& steps);

}  // namespace pellaro::print

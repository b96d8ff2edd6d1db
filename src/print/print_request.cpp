#include "print/print_request.h"

#include <memory>

namespace pellaro::print {

void RunPrintRequest(const PrintRequestSteps& steps) {
    const std::wstring printer = steps.selectPrinter();
    if (printer.empty()) {
        steps.post(PrintResultJson(PrintOutcome::Cancelled));
        return;
    }
    // A job that reports twice must still answer the page only once.
    auto answered = std::make_shared<bool>(false);
    steps.startJob(printer, [answered, post = steps.post](PrintOutcome outcome) {
        if (*answered) return;
        *answered = true;
        post(PrintResultJson(outcome));
    });
}

}  // namespace pellaro::print

#include "print/print_request.h"

#include <memory>

#include "platform/debug_log.h"

namespace pellaro::print {
namespace {

// The same line in every edition, so runs can be followed without the page.
void Answer(const std::function<void(const std::string&)>& post, PrintOutcome outcome) {
    const std::string json = PrintResultJson(outcome);
    DebugLine("printResult: " + json);
    post(json);
}

}  // namespace

void RunPrintRequest(const PrintRequestSteps& steps) {
    const std::wstring printer = steps.selectPrinter();
    if (printer.empty()) {
        Answer(steps.post, PrintOutcome::Cancelled);
        return;
    }
    // A job that reports twice must still answer the page only once.
    auto answered = std::make_shared<bool>(false);
    steps.startJob(printer, [answered, post = steps.post](PrintOutcome outcome) {
        if (*answered) return;
        *answered = true;
        Answer(post, outcome);
    });
}

}  // namespace pellaro::print

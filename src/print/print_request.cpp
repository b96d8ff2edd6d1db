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

// The user-interface thread alone runs print requests.
bool g_pickerOpen = false;

// Marks the picker open for its lifetime, also when it ends by an exception.
struct PickerOpen {
    PickerOpen() { g_pickerOpen = true; }
    ~PickerOpen() { g_pickerOpen = false; }
    PickerOpen(const PickerOpen&) = delete;
    PickerOpen& operator=(const PickerOpen&) = delete;
};

std::wstring SelectPrinterOnce(const PrintRequestSteps& steps) {
    const PickerOpen open;
    return steps.selectPrinter();
}

}  // namespace

void RunPrintRequest(const PrintRequestSteps& steps) {
    if (g_pickerOpen) {
        DebugLine("Print request ignored: the printer picker is open");
        return;
    }
    const std::wstring printer = SelectPrinterOnce(steps);
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

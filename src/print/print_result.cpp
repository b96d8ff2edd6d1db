#include "print/print_result.h"

namespace pellaro::print {

std::string PrintResultJson(PrintOutcome outcome) {
    const auto error = [](const char* message) {
        return std::string(R"({"type":"printResult","status":"error","message":")") + message + "\"}";
    };
    switch (outcome) {
        case PrintOutcome::Cancelled: return R"({"type":"printResult","status":"cancelled"})";
        case PrintOutcome::NoPrintEnvironment: return error("Failed to create print environment");
        case PrintOutcome::SettingsFailed: return error("Failed to create print settings");
        case PrintOutcome::PrinterNameFailed: return error("Failed to set printer name");
        case PrintOutcome::PrintApiMissing: return error("Print API not available");
        case PrintOutcome::Succeeded:
            return R"({"type":"printResult","status":"success","message":"Print job sent successfully."})";
        case PrintOutcome::PrinterUnavailable: return error("The selected printer is unavailable.");
        case PrintOutcome::UnknownStatus: return error("Print failed with unknown error.");
        case PrintOutcome::Failed: return error("Print failed. Please check your printer.");
    }
    return error("Print failed with unknown error.");
}

PrintOutcome OutcomeOfCompletion(long errorCode, int printStatus) {
    if (errorCode < 0) return PrintOutcome::Failed;
    if (printStatus == kPrintStatusPrinterUnavailable) return PrintOutcome::PrinterUnavailable;
    if (printStatus == kPrintStatusSucceeded) return PrintOutcome::Succeeded;
    return PrintOutcome::UnknownStatus;
}

}  // namespace pellaro::print

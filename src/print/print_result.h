#pragma once
// Every way a print request can end, and the exact message the page receives.
#include <string>

namespace pellaro::print {

enum class PrintOutcome {
    Cancelled,           // no printer chosen
    NoPrintEnvironment,  // the browser cannot make print settings at all
    SettingsFailed,      // print settings could not be created
    PrinterNameFailed,   // the printer name could not be set
    PrintApiMissing,     // the browser has no print call
    Succeeded,
    PrinterUnavailable,
    UnknownStatus,  // completed with a status we do not know
    Failed,         // completed with a failure code
};

// The `printResult` JSON text posted to the page, byte for byte.
std::string PrintResultJson(PrintOutcome outcome);

// Print status codes reported by the browser when a job completes.
inline constexpr int kPrintStatusSucceeded = 0;
inline constexpr int kPrintStatusPrinterUnavailable = 1;

// Maps a job's completion (a result code, negative on failure, and a print
// status) to its outcome: a failure code wins over any status.
PrintOutcome OutcomeOfCompletion(long errorCode, int printStatus);

}  // namespace pellaro::print

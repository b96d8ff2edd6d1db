#pragma once
// The CUPS side of the Linux edition: the destinations and their device URIs,
// a queue's readiness, and handing a document to a queue.
#include <string>
#include <vector>

#include "print/physical_printers.h"

namespace pellaro::print {

// Every destination of the CUPS server the environment names (CUPS_SERVER,
// client.conf or the local scheduler), with its device URI as `port`.
struct CupsDestinations {
    std::vector<InstalledPrinter> printers;
    std::wstring defaultName;
};
CupsDestinations ListCupsDestinations();

enum class QueueReadiness { Ready, Missing, Stopped, NotAccepting };

// Asks the scheduler now whether the named queue exists, is not stopped and accepts jobs.
QueueReadiness QueryQueueReadiness(const std::string& queue);

enum class SubmitResult { Accepted, QueueUnavailable, Refused };

// Sends a PDF document to the named queue as one job; Accepted once the
// scheduler has taken the whole document.
SubmitResult SubmitPdfJob(const std::string& queue, const std::string& title, const std::string& pdf);

}  // namespace pellaro::print

#include "print/cups_queue.h"

#include <cups/cups.h>

#include <cstdlib>
#include <memory>

#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro::print {
namespace {

struct DestsDeleter {
    int count;
    void operator()(cups_dest_t* dests) const { cupsFreeDests(count, dests); }
};

struct IppDeleter {
    void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

IppPtr GetPrinterAttributes(const std::string& queue, const std::vector<const char*>& names) {
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     queue.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", static_cast<int>(names.size()),
                  nullptr, names.data());
    IppPtr response(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/"));
    if (!response || cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) return nullptr;
    return response;
}

// The device URI from the destination's options, or asked of the scheduler.
std::string DeviceUriOf(const cups_dest_t& dest) {
    if (const char* uri = cupsGetOption("device-uri", dest.num_options, dest.options)) return uri;
    const auto response = GetPrinterAttributes(dest.name, {"device-uri"});
    if (!response) return {};
    ipp_attribute_t* attr = ippFindAttribute(response.get(), "device-uri", IPP_TAG_URI);
    const char* uri = attr ? ippGetString(attr, 0, nullptr) : nullptr;
    return uri ? uri : "";
}

bool IsUnavailableStatus(ipp_status_t status) {
    return status == IPP_STATUS_ERROR_NOT_FOUND || status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS ||
           status == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
}

}  // namespace

CupsDestinations ListCupsDestinations() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::unique_ptr<cups_dest_t, DestsDeleter> owned(dests, DestsDeleter{count});
    CupsDestinations result;
    for (int i = 0; i < count; ++i) {
        const cups_dest_t& dest = dests[i];
        if (dest.instance) continue;  // an instance is the same queue with other options
        const char* model = cupsGetOption("printer-make-and-model", dest.num_options, dest.options);
        result.printers.push_back({FromUtf8(dest.name), FromUtf8(DeviceUriOf(dest)), FromUtf8(model ? model : "")});
        if (dest.is_default) result.defaultName = FromUtf8(dest.name);
    }
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE) {
        DebugLine(std::string("CUPS destinations unavailable: ") + cupsLastErrorString());
    }
    return result;
}

QueueReadiness QueryQueueReadiness(const std::string& queue) {
    const auto response = GetPrinterAttributes(queue, {"printer-state", "printer-is-accepting-jobs"});
    if (!response) return QueueReadiness::Missing;
    ipp_attribute_t* state = ippFindAttribute(response.get(), "printer-state", IPP_TAG_ENUM);
    if (state && ippGetInteger(state, 0) == IPP_PSTATE_STOPPED) return QueueReadiness::Stopped;
    ipp_attribute_t* accepting = ippFindAttribute(response.get(), "printer-is-accepting-jobs", IPP_TAG_BOOLEAN);
    if (accepting && !ippGetBoolean(accepting, 0)) return QueueReadiness::NotAccepting;
    return QueueReadiness::Ready;
}

SubmitResult SubmitPdfJob(const std::string& queue, const std::string& title, const std::string& pdf) {
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), title.c_str(), 0, nullptr);
    if (job <= 0) {
        const ipp_status_t status = cupsLastError();
        DebugLine("Print job not created: " + std::string(cupsLastErrorString()));
        return IsUnavailableStatus(status) ? SubmitResult::QueueUnavailable : SubmitResult::Refused;
    }
    bool written = cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, title.c_str(), CUPS_FORMAT_PDF, 1) ==
                   HTTP_STATUS_CONTINUE;
    written = written && cupsWriteRequestData(CUPS_HTTP_DEFAULT, pdf.data(), pdf.size()) == HTTP_STATUS_CONTINUE;
    const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.c_str());
    if (written && finished <= IPP_STATUS_OK_EVENTS_COMPLETE) return SubmitResult::Accepted;
    DebugLine("Print job " + std::to_string(job) + " failed: " + cupsLastErrorString());
    cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.c_str(), job, 0);
    return IsUnavailableStatus(finished) ? SubmitResult::QueueUnavailable : SubmitResult::Refused;
}

}  // namespace pellaro::print

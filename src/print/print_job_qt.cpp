#include "print/print_job.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QPrinterInfo>
#include <QUrl>
#include <QWebEnginePage>
#include <QWidget>

#include <exception>

#include "net/http_client.h"
#include "platform/debug_log.h"
#include "core/text.h"
#include "core/url_host.h"
#include "print/cups_queue.h"
#include "print/print_request.h"
#include "print/print_source.h"
#include "print/printer_dialog.h"

namespace pellaro::print {
namespace {

// The queue's own default paper where CUPS knows it, A4 otherwise; no margins
// beyond the page's own, as the browser prints by default.
QPageLayout LayoutFor(const QString& queue) {
    QPageSize size = QPrinterInfo::printerInfo(queue).defaultPageSize();
    if (!size.isValid()) size = QPageSize(QPageSize::A4);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

PrintOutcome SendToQueue(const std::string& queue, const std::string& title, const QByteArray& pdf) {
    if (pdf.isEmpty()) {
        DebugLine("Print: the page could not be rendered");
        return PrintOutcome::Failed;
    }
    // The queue may have gone or stopped while the user chose and the page rendered.
    if (QueryQueueReadiness(queue) != QueueReadiness::Ready) return PrintOutcome::PrinterUnavailable;
    switch (SubmitPdfJob(queue, title, pdf.toStdString())) {
        case SubmitResult::Accepted: return PrintOutcome::Succeeded;
        case SubmitResult::QueueUnavailable: return PrintOutcome::PrinterUnavailable;
        case SubmitResult::Refused: return PrintOutcome::Failed;
    }
    return PrintOutcome::UnknownStatus;
}

// The document behind a PDF page, fetched from the address the engine
// committed (a page can rewrite its visible address with history.pushState)
// with a client of its own: the shared client carries the pin-service
// secret, this one only the identity a backend host gets. https only. Empty
// when the page is no PDF or the document cannot be had.
QByteArray PdfDocumentOf(const std::wstring& address, const ContentDescriptor& content) {
    if (!ShowsPdfDocument(address, content)) return {};
    if (UrlScheme(address) != L"https") {
        DebugLine("Print: the PDF document is not on an https address; printing the page as shown");
        return {};
    }
    HttpResponse response;
    try {
        HttpClient client;
        response = client.Get(address);
    } catch (const std::exception& error) {
        response.failure = HttpFailure::Transport;
        response.error = error.what();
    }
    if (!response.ok || !IsPdfDocument(response.body)) {
        // A 2xx answer that is no PDF is reported by its status as well.
        const std::string reason = response.ok ? "status " + std::to_string(response.status) : FailureText(response);
        DebugLine("Print: the PDF document could not be fetched (" + reason + "); printing the page as shown");
        return {};
    }
    return QByteArray(response.body.data(), static_cast<qsizetype>(response.body.size()));
}

}  // namespace

void PrintPageToPhysicalPrinter(QWebEnginePage* page, std::wstring documentAddress, QWidget* owner,
                                const ContentDescriptor& content,
                                std::function<void(const std::string& printResultJson)> post) {
    QPointer<QWebEnginePage> target(page);
    PrintRequestSteps steps;
    steps.selectPrinter = [owner] { return SelectPhysicalPrinter(owner); };
    steps.startJob = [target, documentAddress, content](const std::wstring& printer,
                                                        std::function<void(PrintOutcome)> done) {
        if (!target) return;  // the page went away while the dialog was open
        const QString queue = QString::fromStdWString(printer);
        const std::string title = target->title().isEmpty() ? "Page" : target->title().toStdString();
        // The engine's PDF viewer would print a picture of itself: send the document.
        if (const QByteArray document = PdfDocumentOf(documentAddress, content); !document.isEmpty()) {
            done(SendToQueue(ToUtf8(printer), title, document));
            return;
        }
        target->printToPdf(
            [queue = printer, title, done](const QByteArray& pdf) { done(SendToQueue(ToUtf8(queue), title, pdf)); },
            LayoutFor(queue));
    };
    steps.post = std::move(post);
    RunPrintRequest(steps);
}

}  // namespace pellaro::print

#pragma once
// A page's print request in the Linux edition: the printer picker, then the
// page printed silently on the chosen CUPS queue.
#include <functional>
#include <string>

class QWebEnginePage;
class QWidget;

namespace pellaro::print {

// Opens the picker modal to `owner`, renders `page` to PDF with the engine and
// hands the document to the chosen queue; a PDF document is sent as it is,
// fetched from `documentAddress`, the address the engine committed for the
// page. `post` receives exactly one `printResult` JSON text per request (none
// if the page is destroyed first).
void PrintPageToPhysicalPrinter(QWebEnginePage* page, std::wstring documentAddress, QWidget* owner,
                                std::function<void(const std::string& printResultJson)> post);

}  // namespace pellaro::print

#pragma once
// A page's print request in the Linux edition: the printer picker, then the
// page printed silently on the chosen CUPS queue.
#include <functional>
#include <string>

#include "links/content_descriptor.h"

class QWebEnginePage;
class QWidget;

namespace pellaro::print {

// Opens the picker modal to `owner`, renders `page` to PDF with the engine and
// hands the document to the chosen queue; the PDF item of `content` (or any
// page whose address ends in .pdf) is sent as its own document, fetched from
// `documentAddress`, the address the engine committed for the page. `post`
// receives exactly one `printResult` JSON text per request (none if the page
// is destroyed first).
void PrintPageToPhysicalPrinter(QWebEnginePage* page, std::wstring documentAddress, QWidget* owner,
                                const ContentDescriptor& content,
                                std::function<void(const std::string& printResultJson)> post);

}  // namespace pellaro::print

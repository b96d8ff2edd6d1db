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
// hands the document to the chosen queue; the PDF item of `content` is sent as
// its own document. `post` receives exactly one `printResult` JSON text per
// request (none if the page is destroyed first).
void PrintPageToPhysicalPrinter(QWebEnginePage* page, QWidget* owner, const ContentDescriptor& content,
                                std::function<void(const std::string& printResultJson)> post);

}  // namespace pellaro::print

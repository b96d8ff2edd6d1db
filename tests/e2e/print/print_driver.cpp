// Drives the printing subsystem as the player will: a web view with a page,
// print requests, the picker and the job; every result goes to stdout and to
// the page. Stands in for the player until the browser host is wired.
//   print_driver list                       physical printers, one a line
//   print_driver sample [--empty]           the picker over a fixed list
//   print_driver print URL [--requests N]   N print requests in a row
#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>
#include <iostream>
#include <memory>

#include "core/text.h"
#include "print/physical_printers.h"
#include "print/print_job.h"
#include "print/printer_dialog.h"

using namespace pellaro;
using namespace pellaro::print;

namespace {

void Line(const std::string& text) { std::cout << text << std::endl; }

int ListPrinters() {
    for (const auto& p : ListPhysicalPrinters()) {
        Line("printer: " + ToUtf8(p.name) + "\t" + ToUtf8(p.port) + "\t" + (p.isDefault ? "default" : "-"));
    }
    Line("end of list");
    return 0;
}

int Sample(bool empty) {
    std::vector<PrinterEntry> printers;
    if (!empty) {
        printers = {{L"Office Laser", L"socket://10.0.0.5", L"", true},
                    {L"Accounts Inkjet", L"usb://Maker/Inkjet", L"", false},
                    {L"Label printer with a very long queue name that does not fit on one card line",
                     L"usb://Maker/Label", L"", false},
                    {L"b", L"lpd://10.0.0.9/b", L"", false}};
    }
    const std::wstring chosen = RunPrinterDialog(nullptr, printers);
    Line("chosen: " + ToUtf8(chosen));
    return 0;
}

// The page shows and keeps every message it receives, as a player page does.
void DeliverToPage(QWebEnginePage* page, const std::string& json) {
    const QString script = QStringLiteral(
                               "window.dispatchEvent(new MessageEvent('message', {data: JSON.parse(%1)})); true;")
                               .arg(QString::fromStdString("'" + json + "'"));
    page->runJavaScript(script);
}

int Print(const QString& url, int requests) {
    auto* view = new QWebEngineView;
    view->resize(900, 700);
    view->setWindowTitle("Print driver");
    auto remaining = std::make_shared<int>(requests);
    auto next = std::make_shared<std::function<void()>>();
    // The step reaches itself through a weak reference: a strong one would be
    // a cycle that is never freed. The load handler below holds it.
    const std::weak_ptr<std::function<void()>> again = next;
    *next = [view, remaining, again] {
        if (*remaining == 0) {
            view->page()->runJavaScript("JSON.stringify(window.receivedResults || [])", [](const QVariant& v) {
                Line("page received: " + v.toString().toStdString());
                QApplication::quit();
            });
            return;
        }
        --*remaining;
        Line("request");
        // The subsystem itself writes "printResult: <json>" to the debug output.
        // No content link here: a page is a PDF document by its address alone.
        PrintPageToPhysicalPrinter(view->page(), view->url().toString().toStdWString(), view, ContentDescriptor{},
                                   [view, again](const std::string& json) {
                                       DeliverToPage(view->page(), json);
                                       QTimer::singleShot(0, [again] {
                                           if (const auto step = again.lock()) (*step)();
                                       });
                                   });
    };
    QObject::connect(view, &QWebEngineView::loadFinished, view, [next](bool ok) {
        Line(ok ? "page loaded" : "page failed to load");
        if (!ok) {
            QApplication::exit(2);
            return;
        }
        QTimer::singleShot(0, [next] { (*next)(); });
    });
    view->show();
    view->load(QUrl(url));
    const int code = QApplication::exec();
    delete view;
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() >= 2 && args[1] == "list") return ListPrinters();
    if (args.size() >= 2 && args[1] == "sample") return Sample(args.contains("--empty"));
    if (args.size() >= 3 && args[1] == "print") {
        int requests = 1;
        if (const auto at = args.indexOf("--requests"); at > 0 && at + 1 < args.size()) requests = args[at + 1].toInt();
        return Print(args[2], requests);
    }
    std::cerr << "usage: print_driver list | sample [--empty] | print URL [--requests N]\n";
    return 64;
}

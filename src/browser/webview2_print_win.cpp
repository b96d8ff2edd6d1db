#include "browser/webview2_print_win.h"

#include <utility>

#include "core/text.h"
#include "print/print_request.h"
#include "print/printer_dialog.h"
#include "shell/webview2_com_win.h"

namespace pellaro {

void StartWebView2PrintJob(ICoreWebView2Environment* environment, ICoreWebView2* webView, const std::wstring& printer,
                           std::function<void(print::PrintOutcome)> done) {
    using print::PrintOutcome;
    ComPtr<ICoreWebView2Environment> heldEnvironment(environment);
    ComPtr<ICoreWebView2Environment6> environment6;
    if (!heldEnvironment || FAILED(heldEnvironment.As(&environment6))) {
        done(PrintOutcome::NoPrintEnvironment);
        return;
    }
    ComPtr<ICoreWebView2PrintSettings> settings;
    if (FAILED(environment6->CreatePrintSettings(&settings)) || !settings) {
        done(PrintOutcome::SettingsFailed);
        return;
    }
    ComPtr<ICoreWebView2PrintSettings2> settings2;
    if (FAILED(settings.As(&settings2))) {
        done(PrintOutcome::PrinterNameFailed);
        return;
    }
    settings2->put_PrinterName(printer.c_str());
    // The handler holds the browser, so the page is still there to hear the outcome.
    ComPtr<ICoreWebView2> keepAlive(webView);
    ComPtr<ICoreWebView2_16> webView16;
    if (!keepAlive || FAILED(keepAlive.As(&webView16))) {
        done(PrintOutcome::PrintApiMissing);
        return;
    }
    auto handler = MakeHandler<ICoreWebView2PrintCompletedHandler>(
        IID_ICoreWebView2PrintCompletedHandler,
        [keepAlive, done = std::move(done)](HRESULT errorCode, COREWEBVIEW2_PRINT_STATUS status) {
            done(print::OutcomeOfCompletion(errorCode, static_cast<int>(status)));
            return S_OK;
        });
    webView16->Print(settings.Get(), handler.Get());
}

void PrintWithWebView2(HWND owner, ICoreWebView2Environment* environment, ICoreWebView2* webView) {
    // Our own references: the picker's modal loop may outlast the host's.
    ComPtr<ICoreWebView2Environment> heldEnvironment(environment);
    ComPtr<ICoreWebView2> heldWebView(webView);
    print::RunPrintRequest({
        .selectPrinter = [owner] { return print::SelectPhysicalPrinter(owner); },
        .startJob =
            [heldEnvironment, heldWebView](const std::wstring& printer, std::function<void(print::PrintOutcome)> done) {
                StartWebView2PrintJob(heldEnvironment.Get(), heldWebView.Get(), printer, std::move(done));
            },
        .post =
            [heldWebView](const std::string& json) {
                if (heldWebView) heldWebView->PostWebMessageAsJson(FromUtf8(json).c_str());
            },
    });
}

}  // namespace pellaro

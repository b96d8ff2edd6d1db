#pragma once
// A page's print request in the Windows edition: the printer picker, then the
// page printed silently by WebView2 on the chosen printer.
#include <windows.h>

#include <functional>
#include <string>

#include "print/print_result.h"
#include "shell/webview2_api_win.h"

namespace pellaro {

// Starts WebView2's print job for the page of `webView` on `printer`, with
// fresh print settings that name only the printer; `done` gets the outcome
// once: a missing capability at once, the completion later on this thread.
// A job the browser refuses without completing reports nothing.
void StartWebView2PrintJob(ICoreWebView2Environment* environment, ICoreWebView2* webView, const std::wstring& printer,
                           std::function<void(print::PrintOutcome)> done);

// The whole request: the picker modal to `owner`, then the job; every
// outcome is posted to `webView`'s page as its `printResult` message.
void PrintWithWebView2(HWND owner, ICoreWebView2Environment* environment, ICoreWebView2* webView);

}  // namespace pellaro

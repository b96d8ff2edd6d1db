#include "diag/connection_failure.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro {
namespace {

std::mutex g_noticeMutex;
DiagnosticNotice g_notice;

DiagnosticNotice CurrentNotice() {
    std::lock_guard lock(g_noticeMutex);
    return g_notice;
}

void ShowInterceptedNotice(const std::string& code) {
    const DiagnosticNotice notice = CurrentNotice();
    if (!notice) {
        DebugLine("Connection failure notice not shown (none set): " + code);
        return;
    }
    notice(InterceptedTitle(), InterceptedMessage(), InterceptedArabicMessage(), code);
}

}  // namespace

const std::wstring& InterceptedTitle() {
    static const std::wstring text = L"Network Connection Intercepted - اتصال غير آمن";
    return text;
}

const std::wstring& InterceptedMessage() {
    static const std::wstring text =
        L"A security program is blocking the secure connection.\nPlease disable 'HTTPS Scanning' or 'Web Shield' in your antivirus settings and try again.";
    return text;
}

const std::wstring& InterceptedArabicMessage() {
    static const std::wstring text =
        L"برنامج حماية يمنع الاتصال الآمن.\nيرجى تعطيل خاصية 'فحص HTTPS' أو 'حماية الويب' في إعدادات مكافح الفيروسات وحاول مرة أخرى.";
    return text;
}

std::string PinFailureCode(const std::wstring& host) { return "SSL_" + ToUtf8(host); }

std::string BlockedHostCode(const std::wstring& host) {
    std::string code = "MITM_PIN_" + ToUtf8(host);
    if (code.size() > kBlockedHostCodeLimit) code.resize(kBlockedHostCodeLimit);
    return code;
}

void SetConnectionFailureNotice(DiagnosticNotice notice) {
    std::lock_guard lock(g_noticeMutex);
    g_notice = std::move(notice);
}

void ReportPinFailure(const std::wstring& host) { ShowInterceptedNotice(PinFailureCode(host)); }

void ReportBlockedHost(const std::wstring& host) {
    // The thread owns its copy of the host; nobody joins it.
    std::thread([host] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ShowInterceptedNotice(BlockedHostCode(host));
    }).detach();
}

}  // namespace pellaro

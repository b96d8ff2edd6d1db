#include "browser/host_status.h"

#include <cstdio>

namespace WebView {

FailureLog::FailureLog(std::wstring baseFolder) {
    first_.hr = last_.hr = ResultCode(HostError::Failed);
    last_.folder = std::move(baseFolder);
}

void FailureLog::Record(std::int32_t hr, const std::wstring& stage, const std::wstring& folder) {
    if (hr >= 0) hr = ResultCode(HostError::Failed);
    last_ = {hr, stage, folder};
    if (!haveFirst_) {
        first_ = last_;
        haveFirst_ = true;
    }
}

std::int32_t FailureLog::Result() const { return haveFirst_ ? first_.hr : last_.hr; }

std::wstring HexResult(std::int32_t hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return std::wstring(text, text + 10);
}

namespace {
std::wstring Runtime(const std::wstring& kind, const std::wstring& version) {
    return version.empty() ? kind : kind + L" " + version;
}
std::wstring Stage(const std::wstring& stage) { return stage.empty() ? L"unknown stage" : stage; }
}  // namespace

std::wstring FailureLog::Message(const std::wstring& runtimeKind, const std::wstring& version) const {
    return L"WebView2 initialization failed. First=" + HexResult(Result()) + L" at " + Stage(first_.stage) +
           L"; last=" + HexResult(last_.hr) + L" at " + Stage(last_.stage) + L"; runtime=" +
           Runtime(runtimeKind, version) + L"; lastUserData=" + last_.folder;
}

std::wstring SuccessMessage(const std::wstring& runtimeKind, const std::wstring& version,
                            const std::wstring& folder) {
    return L"WebView2 initialized with " + Runtime(runtimeKind, version) + L"; userData=" + folder;
}

std::wstring AttemptFolder(const std::wstring& baseFolder, const std::wstring& attemptTag, int attempt) {
    if (attempt == 0) return baseFolder;
    return baseFolder + L"_Recovery_" + attemptTag + L"_" + std::to_wstring(attempt);
}

}  // namespace WebView

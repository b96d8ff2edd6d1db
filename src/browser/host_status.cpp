#include "browser/host_status.h"

#include <cstdio>

namespace WebView {

FailureLog::FailureLog(std::wstring baseFolder) {
    first_.hr = last_.hr = ResultCode(HostError::Failed);
    last_.folder = std::move(baseFolder);
}

void FailureLog::Record(std::int32_t hr, StartStep step, const std::wstring& folder) {
    if (hr >= 0) hr = ResultCode(HostError::Failed);
    last_ = {hr, step, folder};
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

std::wstring AttemptFolder(const std::wstring& baseFolder, const std::wstring& attemptTag, int attempt) {
    if (attempt == 0) return baseFolder;
    return baseFolder + L"_Recovery_" + attemptTag + L"_" + std::to_wstring(attempt);
}

namespace {

// The runtime's own stage and kind names, as its support pages use them.
class WebView2Words final : public HostWording {
public:
    std::wstring Success(const EngineRuntime& runtime, const std::wstring& folder) const override {
        return L"WebView2 initialized with " + Runtime(runtime) + L"; userData=" + folder;
    }
    std::wstring Failure(const FailureLog& failures, const EngineRuntime& runtime) const override {
        return L"WebView2 initialization failed. First=" + HexResult(failures.Result()) + L" at " +
               Step(failures.First().step) + L"; last=" + HexResult(failures.Last().hr) + L" at " +
               Step(failures.Last().step) + L"; runtime=" + Runtime(runtime) + L"; lastUserData=" +
               failures.Last().folder;
    }
    std::wstring FailureBox(const std::wstring& status) const override {
        return L"Failed to initialize WebView2.\n\n" + status;
    }
    const wchar_t* FailureCaption() const override { return L"WebView2 Error"; }
    std::wstring InvalidParent() const override { return L"Invalid parent window or user-data folder."; }

private:
    static std::wstring Runtime(const EngineRuntime& runtime) {
        const std::wstring kind = runtime.fixed ? L"Fixed" : L"Evergreen";
        return runtime.version.empty() ? kind : kind + L" " + runtime.version;
    }
    static std::wstring Step(StartStep step) {
        switch (step) {
            case StartStep::None: return L"unknown stage";
            case StartStep::CreateFolder: return L"CreateUserDataFolder";
            case StartStep::WriteTest: return L"UserDataFolderWriteTest";
            case StartStep::FolderOverride: return L"SetUserDataFolderOverride";
            case StartStep::BrowserFolderOverride: return L"SetBrowserFolderOverride";
            case StartStep::CreateEnvironmentCall: return L"CreateEnvironmentCall";
            case StartStep::CreateEnvironmentCallback: return L"CreateEnvironmentCallback";
            case StartStep::CreateControllerCall: return L"CreateControllerCall";
            case StartStep::CreateControllerCallback: return L"CreateControllerCallback";
            case StartStep::GetView: return L"GetCoreWebView2";
            case StartStep::MessagePump: return L"InitializationMessagePump";
            case StartStep::QuitDuringStart: return L"ApplicationQuitDuringInitialization";
            case StartStep::Pending: return L"Pending";
            case StartStep::Complete: return L"Complete";
        }
        return L"unknown stage";
    }
};

// Plain words for the Linux edition, English then Arabic, as its other messages.
class QtWebEngineWords final : public HostWording {
public:
    std::wstring Success(const EngineRuntime& runtime, const std::wstring& folder) const override {
        return L"Browser engine started: " + Engine(runtime) + L"; data folder: " + folder + L"\n" +
               L"تم تشغيل محرك المتصفح: " + Engine(runtime) + L"؛ مجلد البيانات: " + folder;
    }
    std::wstring Failure(const FailureLog& failures, const EngineRuntime& runtime) const override {
        const AttemptFailure& first = failures.First();
        const AttemptFailure& last = failures.Last();
        const std::wstring firstCode = HexResult(failures.Result());
        const std::wstring lastCode = HexResult(last.hr);
        const StepWords firstStep = Words(first.step);
        const StepWords lastStep = Words(last.step);
        return L"Browser engine start failed. First error " + firstCode + L" while " + firstStep.english +
               L"; last error " + lastCode + L" while " + lastStep.english + L"; engine: " + Engine(runtime) +
               L"; last data folder: " + last.folder + L"\n" + L"فشل تشغيل محرك المتصفح. أول خطأ " + firstCode +
               L" أثناء " + firstStep.arabic + L"؛ آخر خطأ " + lastCode + L" أثناء " + lastStep.arabic + L"؛ المحرك: " +
               Engine(runtime) + L"؛ آخر مجلد بيانات: " + last.folder;
    }
    std::wstring FailureBox(const std::wstring& status) const override {
        return L"The browser could not be started.\nتعذر تشغيل المتصفح.\n\n" + status;
    }
    const wchar_t* FailureCaption() const override { return L"Browser Error - خطأ في المتصفح"; }
    std::wstring InvalidParent() const override {
        return L"Invalid parent window or user-data folder.\nالنافذة الأم أو مجلد بيانات المستخدم غير صالح.";
    }

private:
    static std::wstring Engine(const EngineRuntime& runtime) {
        return runtime.version.empty() ? L"Qt WebEngine" : L"Qt WebEngine (Chromium " + runtime.version + L")";
    }
    struct StepWords {
        const wchar_t* english;
        const wchar_t* arabic;
    };
    static StepWords Words(StartStep step) {
        switch (step) {
            case StartStep::None: break;
            case StartStep::CreateFolder: return {L"creating the data folder", L"إنشاء مجلد البيانات"};
            case StartStep::WriteTest: return {L"writing to the data folder", L"الكتابة في مجلد البيانات"};
            case StartStep::FolderOverride:
            case StartStep::BrowserFolderOverride:
                return {L"handing the folders to the engine", L"تسليم المجلدات إلى المحرك"};
            case StartStep::CreateEnvironmentCall:
            case StartStep::CreateEnvironmentCallback: return {L"starting the engine", L"تشغيل المحرك"};
            case StartStep::CreateControllerCall:
            case StartStep::CreateControllerCallback:
            case StartStep::GetView: return {L"creating the page", L"إنشاء الصفحة"};
            case StartStep::MessagePump:
            case StartStep::Pending: return {L"waiting for the engine", L"انتظار المحرك"};
            case StartStep::QuitDuringStart: return {L"closing during the start", L"الإغلاق أثناء التشغيل"};
            case StartStep::Complete: return {L"keeping the page", L"الاحتفاظ بالصفحة"};
        }
        return {L"an unknown step", L"خطوة غير معروفة"};
    }
};

}  // namespace

const HostWording& WebView2Wording() {
    static const WebView2Words words;
    return words;
}

const HostWording& QtWebEngineWording() {
    static const QtWebEngineWords words;
    return words;
}

}  // namespace WebView

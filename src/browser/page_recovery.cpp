#include "browser/page_recovery.h"

namespace pellaro {

RecoveryAction PageRecovery::OnFailure(PageFailure failure, Clock::time_point now) {
    if (failure == PageFailure::RecoveredByRuntime || gaveUp_) return RecoveryAction::Nothing;
    while (!recent_.empty() && now - recent_.front() >= kWindow) recent_.pop_front();
    recent_.push_back(now);
    if (recent_.size() >= kGiveUpAt) {
        gaveUp_ = true;
        recent_.clear();
        return RecoveryAction::ShowGaveUpMessage;
    }
    return failure == PageFailure::BrowserProcessExited ? RecoveryAction::RestartHost : RecoveryAction::ReloadPage;
}

std::wstring PageGaveUpMessage() {
    return L"This page stopped working several times, so it was not opened again. Close this window and open "
           L"the link again.\n"
           L"توقفت هذه الصفحة عن العمل عدة مرات، لذلك لم تُفتح مرة أخرى. أغلق هذه النافذة وافتح الرابط مرة أخرى.";
}

const wchar_t* PageFailureName(PageFailure failure) {
    switch (failure) {
        case PageFailure::RendererExited: return L"renderer exited";
        case PageFailure::RendererUnresponsive: return L"renderer unresponsive";
        case PageFailure::BrowserProcessExited: return L"browser process exited";
        case PageFailure::RecoveredByRuntime: return L"recovered by the engine";
    }
    return L"unknown failure";
}

}  // namespace pellaro

#pragma once
// Which downloads a page may start, and where a saved one goes. A file from a
// backend host (the academy's own files) is saved to the user's Downloads
// folder; anything else is refused and nothing is written. The item's PDF in
// the viewer and the viewer's own Save are not downloads of this kind.
#include <functional>
#include <string>
#include <string_view>

namespace pellaro {

enum class DownloadDecision { Save, Refuse };

// By the download's own address: https on a backend host saves; every other
// scheme (http, data:, blob:, file:) and host is refused.
DownloadDecision DecideDownload(std::wstring_view url);

// The name a suggested file name is saved under: its last path component,
// characters no file system of either edition takes replaced by "_", trailing
// dots and spaces dropped; "download" when nothing is left.
std::wstring SafeDownloadName(std::wstring_view suggested);

// The first of name, "stem (1).ext", "stem (2).ext", ... that `taken` says is
// free in the folder, so an existing file is never overwritten; empty when
// all kMaxNumberedNames are taken.
inline constexpr unsigned kMaxNumberedNames = 9999;
std::wstring NonOverwritingName(std::wstring_view name, const std::function<bool(const std::wstring&)>& taken);

// The notices shown to the student, English then Arabic.
std::wstring DownloadSavedNotice(std::wstring_view savedPath);
std::wstring DownloadRefusedNotice(std::wstring_view url);
std::wstring DownloadFailedNotice(std::wstring_view fileName);

}  // namespace pellaro

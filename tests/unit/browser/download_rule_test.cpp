#include "browser/download_rule.h"

#include <gtest/gtest.h>

#include <set>

#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {
namespace {

TEST(DownloadRule, OnlyHttpsFromABackendHostIsSaved) {
    const std::wstring backend = WideConstantList(ConstantKey::backendHostMarkers).at(0);
    const struct {
        std::wstring url;
        DownloadDecision expected;
    } cases[] = {
        {L"https://" + backend + L"/files/notes.pdf", DownloadDecision::Save},
        {L"HTTPS://" + backend + L":8443/files/notes.pdf", DownloadDecision::Save},
        {L"https://sub." + backend + L"./a.zip", DownloadDecision::Save},
        {L"http://" + backend + L"/files/notes.pdf", DownloadDecision::Refuse},  // not over TLS
        {L"https://evil.example/notes.pdf", DownloadDecision::Refuse},
        {L"https://" + backend + L".evil.example/notes.pdf", DownloadDecision::Refuse},
        {L"https://evil" + backend + L"/notes.pdf", DownloadDecision::Refuse},  // no "." boundary
        {L"https://" + backend + L"@evil.example/notes.pdf", DownloadDecision::Refuse},
        {L"data:application/octet-stream;base64,QUJD", DownloadDecision::Refuse},
        {L"blob:https://" + backend + L"/5d1c", DownloadDecision::Refuse},
        {L"blob:https://evil.example/5d1c", DownloadDecision::Refuse},
        {L"file:///etc/passwd", DownloadDecision::Refuse},
        {L"", DownloadDecision::Refuse},
        {L"https:///nohost", DownloadDecision::Refuse},
    };
    for (const auto& c : cases) EXPECT_EQ(DecideDownload(c.url), c.expected) << ToUtf8(c.url);
}

TEST(DownloadRule, SafeNames) {
    const struct {
        std::wstring suggested, expected;
    } cases[] = {
        {L"notes.pdf", L"notes.pdf"},
        {L"../../.bashrc", L".bashrc"},
        {L"C:\\Users\\x\\Downloads\\report.pdf", L"report.pdf"},
        {L"a:b*c?.txt", L"a_b_c_.txt"},
        {L"tab\there.txt", L"tab_here.txt"},
        {L"  trailing. . ", L"trailing"},
        {L"..", L"download"},
        {L"dir/", L"download"},
        {L"", L"download"},
        {L"درس.pdf", L"درس.pdf"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeDownloadName(c.suggested), c.expected) << ToUtf8(c.suggested);
}

TEST(DownloadRule, NeverAnExistingName) {
    const struct {
        std::wstring name;
        std::set<std::wstring> existing;
        std::wstring expected;
    } cases[] = {
        {L"notes.pdf", {}, L"notes.pdf"},
        {L"notes.pdf", {L"notes.pdf"}, L"notes (1).pdf"},
        {L"notes.pdf", {L"notes.pdf", L"notes (1).pdf", L"notes (2).pdf"}, L"notes (3).pdf"},
        {L"notes.pdf", {L"notes (1).pdf"}, L"notes.pdf"},
        {L"README", {L"README"}, L"README (1)"},
        {L".profile", {L".profile"}, L".profile (1)"},
        {L"data.tar.gz", {L"data.tar.gz"}, L"data.tar (1).gz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NonOverwritingName(c.name, [&](const std::wstring& n) { return c.existing.count(n) > 0; }),
                  c.expected)
            << ToUtf8(c.name);
    EXPECT_EQ(NonOverwritingName(L"x.bin", [](const std::wstring&) { return true; }), L"");
}

TEST(DownloadRule, NoticesAreEnglishThenArabicAndNameTheirSubject) {
    const struct {
        std::wstring text, subject;
    } cases[] = {
        {DownloadSavedNotice(L"/home/s/Downloads/notes (1).pdf"), L"/home/s/Downloads/notes (1).pdf"},
        {DownloadRefusedNotice(L"https://evil.example/x.zip"), L"evil.example"},
        {DownloadRefusedNotice(L"data:text/plain,abc"), L"data:"},
        {DownloadFailedNotice(L"notes.pdf"), L"notes.pdf"},
    };
    for (const auto& c : cases) {
        const std::size_t newline = c.text.find(L'\n');
        ASSERT_NE(newline, std::wstring::npos) << ToUtf8(c.text);
        EXPECT_NE(c.text.substr(0, newline).find(c.subject), std::wstring::npos) << ToUtf8(c.text);
        EXPECT_NE(c.text.substr(newline + 1).find(c.subject), std::wstring::npos) << ToUtf8(c.text);
        EXPECT_NE(c.text.substr(newline + 1).find(L'\u0627'), std::wstring::npos) << ToUtf8(c.text);
    }
}

}  // namespace
}  // namespace pellaro

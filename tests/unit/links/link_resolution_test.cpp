#include "links/link_resolution.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "core/build_constants.h"
#include "platform/debug_log.h"
#include "core/text.h"
#include "test_support.h"

namespace pellaro {
namespace {

using namespace pellaro::testing;

const char kMacFailed[] = "MAC verification failed \xE2\x80\x94 data may be tampered";

std::wstring W(const std::string& s) { return FromUtf8(s); }

// The descriptor before any link is resolved (it moved here from the app record).
TEST(ContentDescriptor, StartsEmpty) {
    const ContentDescriptor content;
    EXPECT_TRUE(content.contentUrl.empty());
    EXPECT_EQ(content.itemNumber, 1);
}

// Link resolution against fakes: a fixed key, a scripted backend and page script.
class LinkResolution : public ::testing::Test {
protected:
    void SetUp() override {
        content = ContentDescriptor{};
        SetDebugSink([this](std::string_view line) { log.emplace_back(line); });
        services.payloadKey = [this] {
            ++keyRequests;
            return TestKey();
        };
        services.getContentData = [this](const std::wstring& baseAddress, const std::string& contentLinkId,
                                         const std::string& linkKey, std::string* errorText, HttpFailure* failure) {
            backendCalls.push_back({baseAddress, contentLinkId, linkKey});
            if (!backendError.empty()) *errorText = backendError;
            *failure = backendFailure;
            return backendAnswer;
        };
        services.fetchPageScript = [this](const std::wstring& url) {
            scriptRequests.push_back(url);
            return scriptAnswer;
        };
    }
    void TearDown() override { SetDebugSink(nullptr); }

    std::string Link(const std::string& linkKey, const std::string& contentLinkId, const std::string& baseAddress) {
        return "Tovrelapp:" + SealedWithMac(linkKey) + ":" + SealedWithMac(contentLinkId) + ":" +
               SealedWithMac(baseAddress);
    }
    bool Resolve(const std::string& link) {
        const LinkResult result = ResolveContentLink(W(link), services);
        content = result.content;
        errorCode = result.Resolved() ? "unknown_error" : result.error->Code();
        if (!result.Resolved()) errorKind = result.error->kind;
        return result.Resolved();
    }
    bool Logged(const std::string& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

    struct BackendCall {
        std::wstring baseAddress;
        std::string contentLinkId, linkKey;
    };
    LinkServices services;
    ContentDescriptor content;  // what the last resolution returned
    std::string errorCode;
    std::vector<std::string> log;
    int keyRequests = 0;
    std::vector<BackendCall> backendCalls;
    std::optional<ContentData> backendAnswer;
    std::string backendError;
    HttpFailure backendFailure = HttpFailure::None;
    LinkErrorKind errorKind = LinkErrorKind::Diagnostic;
    std::vector<std::wstring> scriptRequests;
    HttpResponse scriptAnswer;
};

TEST_F(LinkResolution, EveryWrittenFormGivesTheSameFields) {
    // Three "~" in a row put a "+" into the Base64 of the JSON text.
    const std::string linkKey = "lk";
    const EnvelopeParts parts = Encrypt(linkKey);
    const std::string first = Sealed(
        {{"iv", parts.iv}, {"value", parts.value}, {"mac", MacOf(parts.iv, parts.value)}, {"tag", "~~~"}});
    const std::string payload = first + ":" + SealedWithMac("item-9") + ":" + SealedWithMac("https://api.x/");
    auto plusAs = [](std::string text, const std::string& replacement) {
        for (std::size_t at = 0; (at = text.find('+', at)) != std::string::npos; at += replacement.size())
            text.replace(at, 1, replacement);
        return text;
    };
    ASSERT_NE(payload.find('+'), std::string::npos) << "the fixture should hold a '+'";
    const std::string forms[] = {
        "Tovrelapp:" + payload,
        "TOVRELAPP:" + payload,
        "tovrelApp:" + payload,
        "Tovrelapp://" + payload + "/",
        "Tovrelapp:\\\\" + payload + "\\//",
        payload,
        "Tovrelapp:" + plusAs(payload, " "),
        "Tovrelapp:" + plusAs(payload, "%2B"),
        "Tovrelapp%3A" + plusAs(payload, "%2b"),
        "Tovrelapp:" + payload + ":extra:fields",
        "\"Tovrelapp:" + payload,  // text before the scheme is dropped with it
    };
    for (const std::string& form : forms) {
        LinkFields fields;
        ASSERT_TRUE(OpenLinkFields(W(form), services.payloadKey, fields, errorCode)) << form << " -> " << errorCode;
        EXPECT_EQ(fields.linkKey, linkKey);
        EXPECT_EQ(fields.contentLinkId, "item-9");
        EXPECT_EQ(fields.baseAddress, "https://api.x/");
    }
}

TEST_F(LinkResolution, SplitCountsFields) {
    const struct {
        std::string link;
        std::size_t count;
    } cases[] = {
        {"Tovrelapp:", 0},       {"", 0},
        {"Tovrelapp:///", 0},    {"Tovrelapp:A", 1},
        {"Tovrelapp:A:B", 2},    {"Tovrelapp:A:B:", 2},
        {"Tovrelapp::", 1},      {"Tovrelapp:A::C", 3},
        {"Tovrelapp::B:C", 3},   {"A:B:C:D", 4},
        {"Tovrelapp:A:B:C/", 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitLink(W(c.link)).size(), c.count) << c.link;
        if (c.count < 3) {
            EXPECT_FALSE(Resolve(c.link));
            EXPECT_EQ(errorCode, "split_failed_parts_" + std::to_string(c.count)) << c.link;
        }
    }
    EXPECT_EQ(SplitLink(L"Tovrelapp:A::C"), (std::vector<std::wstring>{L"A", L"", L"C"}));
    EXPECT_TRUE(Logged("ParseSchemeArgs failed: less than 3 parts after split"));
    EXPECT_EQ(keyRequests, 0) << "the key is assembled only for three fields";
}

TEST_F(LinkResolution, UrlDecodeReadsHexLikeAStream) {
    const struct {
        std::wstring in, out;
    } cases[] = {
        {L"%41%42c", L"ABc"}, {L"a+b", L"a+b"},                           // "+" is not a space here
        {L"%2B%2b", L"++"},   {L"%C3%A9", L"\u00e9"},                     // bytes are UTF-8
        {L"%4", L"%4"},                                                   // fewer than two bytes after "%"
        {L"%41%", L"A%"},     {L"%zz%41", L"%zzA"},   {L"% 9x", L"\tx"},  // leading white space is skipped
        {L"%a%41", L"\n41"},                                              // one digit read, two bytes skipped
        {L"%+f", L"\x0f"},                                                // a sign is part of a stream number
        {L"%20", L" "},
    };
    for (const auto& c : cases) EXPECT_EQ(UrlDecode(c.in), c.out) << ToUtf8(c.in);
}

TEST_F(LinkResolution, DirectAddressIsShownWithoutTheBackend) {
    ASSERT_TRUE(Resolve(Link("lk", "https://lessons.example/watch?id=1", "https://api.tovrel.localhost//\\")))
        << errorCode;
    EXPECT_EQ(content.baseAddress, L"https://api.tovrel.localhost");
    EXPECT_EQ(content.contentUrl, L"https://lessons.example/watch?id=1");
    EXPECT_EQ(content.contentType, L"url_direct");
    EXPECT_EQ(content.watermarkText, L"");
    EXPECT_EQ(content.itemNumber, 0);
    EXPECT_TRUE(backendCalls.empty());
    EXPECT_EQ(keyRequests, 1);
    EXPECT_TRUE(Logged("ParseSchemeArgs: contentLinkId is a direct URL. Skipping GetContentData."));
    EXPECT_TRUE(Logged("Decrypted OK. Domain: https://api.tovrel.localhost//\\"));
    EXPECT_TRUE(Logged("ParseSchemeArgs succeeded"));
}

TEST_F(LinkResolution, BackendItemsFillTheDescriptor) {
    const std::wstring meeting = WideConstant(ConstantKey::meetingDomain);
    const struct {
        const char* name;
        ContentData data;
        std::wstring contentType;
    } cases[] = {
        {"video", {"video", "https://cdn.x/v.m3u8", "", "Student 7", 12}, L"url_direct"},
        {"zoom", {"zoom", "https://cdn.x/z", "", "w", 3}, L"url_direct"},
        {"zoom_url", {"zoom_url", "https://cdn.x/z", "", "w", 3}, L"url_direct"},
        {"pdf", {"pdf", "https://cdn.x/a.pdf", "", "w", 4}, L"pdf"},
        {"case matters", {"Video", "https://cdn.x/a", "", "w", 5}, L"Video"},
        {"meeting host", {"pdf_url", "https://US02WEB." + ToUtf8(meeting) + "/j/1", "", "w", 6}, L"url_direct"},
        {"html", {"html", "https://cdn.x/lesson.html", "", "\xD8\xB9 w", -2}, L"html"},
    };
    for (const auto& c : cases) {
        content = ContentDescriptor{};
        backendCalls.clear();
        backendAnswer = c.data;
        ASSERT_TRUE(Resolve(Link("lk-1", "item-9", "api.tovrel.localhost/"))) << c.name << ": " << errorCode;
        EXPECT_EQ(content.contentType, c.contentType) << c.name;
        EXPECT_EQ(content.contentUrl, FromUtf8(c.data.url)) << c.name;
        EXPECT_EQ(content.watermarkText, FromUtf8(c.data.text)) << c.name;
        EXPECT_EQ(content.itemNumber, c.data.number) << c.name;
        EXPECT_TRUE(content.pageScript.empty()) << c.name;
        ASSERT_EQ(backendCalls.size(), 1u);
        EXPECT_EQ(backendCalls[0].baseAddress, L"api.tovrel.localhost");
        EXPECT_EQ(backendCalls[0].contentLinkId, "item-9");
        EXPECT_EQ(backendCalls[0].linkKey, "lk-1");
    }
    EXPECT_TRUE(scriptRequests.empty());
}

TEST_F(LinkResolution, UpperCaseSchemeIsNotADirectAddress) {
    backendAnswer = ContentData{"pdf", "https://cdn.x/a.pdf", "", "w", 2};
    ASSERT_TRUE(Resolve(Link("lk", "HTTPS://lessons.example/", "https://api.x"))) << errorCode;
    ASSERT_EQ(backendCalls.size(), 1u);
    EXPECT_EQ(backendCalls[0].contentLinkId, "HTTPS://lessons.example/");
}

TEST_F(LinkResolution, VideoSharingItemsPlayEmbeddedWithTheirPageScript) {
    const std::wstring shortDomain = WideConstant(ConstantKey::videoShortDomain);
    backendAnswer = ContentData{"pdf", "https://cdn.x/ignored", "https://" + ToUtf8(shortDomain) + "/AbC?t=4", "w", 31};
    scriptAnswer = HttpResponse{200, "console.log('\xD9\x85');", true, ""};
    ASSERT_TRUE(Resolve(Link("lk", "item", "https://api.x/"))) << errorCode;
    EXPECT_EQ(content.contentType, L"url_direct");
    EXPECT_EQ(content.contentUrl, WideConstant(ConstantKey::videoEmbedPrefix) + L"AbC?origin=https%3a%2f%2fapi.x");
    EXPECT_EQ(content.pageScript, L"console.log('\u0645');");
    EXPECT_EQ(scriptRequests, (std::vector<std::wstring>{WideConstant(ConstantKey::pageScriptUrl) + L"31"}));
}

TEST_F(LinkResolution, AFailedPageScriptNeverFailsTheLink) {
    const std::wstring mainDomain = WideConstant(ConstantKey::videoMainDomain);
    backendAnswer = ContentData{"video", "", "https://www." + ToUtf8(mainDomain) + "/watch?v=Q1&list=L", "w", -5};
    const std::function<HttpResponse(const std::wstring&)> failures[] = {
        [](const std::wstring&) {
            return HttpResponse{404, "missing", false, ""};
        },
        [](const std::wstring&) {
            return HttpResponse{0, "", false, "curl: could not connect"};
        },
        [](const std::wstring&) -> HttpResponse { throw std::runtime_error("session could not be opened"); },
    };
    for (const auto& failure : failures) {
        content = ContentDescriptor{};
        services.fetchPageScript = [&](const std::wstring& url) {
            scriptRequests.push_back(url);
            return failure(url);
        };
        ASSERT_TRUE(Resolve(Link("lk", "item", "https://api.x"))) << errorCode;
        EXPECT_TRUE(content.pageScript.empty());
        EXPECT_EQ(content.contentUrl, WideConstant(ConstantKey::videoEmbedPrefix) + L"Q1?origin=https%3a%2f%2fapi.x");
    }
    EXPECT_EQ(scriptRequests.back(), WideConstant(ConstantKey::pageScriptUrl) + L"-5");
}

TEST_F(LinkResolution, EveryErrorCodeOfTheTable) {
    const std::string good = SealedWithMac("x");
    const std::string tampered = [&] {
        const EnvelopeParts parts = Encrypt("x");
        return Sealed({{"iv", parts.iv}, {"value", parts.value}, {"mac", std::string(64, 'f')}});
    }();
    struct Case {
        const char* name;
        std::string link;
        std::function<void()> arrange;
        std::string code;
        std::string logLine;
    };
    const Case cases[] = {
        {"two fields", "Tovrelapp:" + good + ":" + good, nullptr, "split_failed_parts_2",
         "ParseSchemeArgs failed: less than 3 parts after split"},
        {"empty field text", Link("lk", "", "https://api.x"), nullptr, "decrypt_failed_empty_strings",
         "ParseSchemeArgs failed: one of the parts decrypted to empty string"},
        {"empty middle field", "Tovrelapp:" + good + "::" + good, nullptr,
         "exception_Failed to parse AES envelope JSON", "ParseSchemeArgs exception: Failed to parse AES envelope JSON"},
        {"tampered", "Tovrelapp:" + good + ":" + tampered + ":" + good, nullptr, std::string("exception_") + kMacFailed,
         std::string("ParseSchemeArgs exception: ") + kMacFailed},
        {"server message", Link("lk", "item", "https://api.x"), [this] { backendError = "Link expired"; },
         "server:Link expired", "ParseSchemeArgs failed: GetContentData returned empty value"},
        {"no message", Link("lk", "item", "https://api.x"), nullptr, "api_content_data_failed",
         "ParseSchemeArgs failed: GetContentData returned empty value"},
        {"library error", Link("lk", "item", "https://api.x"),
         [this] { services.getContentData = [](auto&&...) -> std::optional<ContentData> { throw std::bad_alloc(); }; },
         "exception_std::bad_alloc", "ParseSchemeArgs exception: std::bad_alloc"},
        {"foreign exception", Link("lk", "item", "https://api.x"),
         [this] { services.payloadKey = []() -> std::string { throw 42; }; }, "unknown_exception",
         "ParseSchemeArgs unknown exception"},
    };
    for (const Case& c : cases) {
        SetUp();
        log.clear();
        backendError.clear();
        backendFailure = HttpFailure::None;
        backendAnswer.reset();
        if (c.arrange) c.arrange();
        EXPECT_FALSE(Resolve(c.link)) << c.name;
        EXPECT_EQ(errorCode, c.code) << c.name;
        EXPECT_TRUE(Logged(c.logLine)) << c.name << " did not log " << c.logLine;
    }
}

// A backend that could not be reached is told as such, with the client's text
// as the reason; a refusal keeps its message, and pins that fail keep theirs.
TEST_F(LinkResolution, BackendFailuresByKind) {
    struct Case {
        HttpFailure failure;
        std::string text;
        LinkErrorKind kind;
        std::string code;
    };
    const Case cases[] = {
        {HttpFailure::Transport, "curl connect failed: 7", LinkErrorKind::Unreachable,
         "unreachable_curl connect failed: 7"},
        {HttpFailure::Transport, "WinHttpSendRequest failed: 12029", LinkErrorKind::Unreachable,
         "unreachable_WinHttpSendRequest failed: 12029"},
        {HttpFailure::Deadline, kDeadlineError, LinkErrorKind::Unreachable,
         std::string("unreachable_") + kDeadlineError},
        {HttpFailure::Pins, "SSL Pin validation FAILED for api.x", LinkErrorKind::ServerMessage,
         "server:SSL Pin validation FAILED for api.x"},
        {HttpFailure::Status, "Link expired", LinkErrorKind::ServerMessage, "server:Link expired"},
        {HttpFailure::Size, kBodyTooLargeError, LinkErrorKind::ServerMessage,
         std::string("server:") + kBodyTooLargeError},
    };
    for (const Case& c : cases) {
        SetUp();
        log.clear();
        backendFailure = c.failure;
        backendError = c.text;
        EXPECT_FALSE(Resolve(Link("lk", "item", "https://api.x"))) << c.code;
        EXPECT_EQ(errorKind, c.kind) << c.code;
        EXPECT_EQ(errorCode, c.code);
        EXPECT_TRUE(Logged("ParseSchemeArgs failed: GetContentData returned empty value")) << c.code;
        EXPECT_EQ(Logged("GetContentData: the backend could not be reached: " + c.text),
                  c.kind == LinkErrorKind::Unreachable)
            << c.code;
    }
}

TEST_F(LinkResolution, BaseAddressIsWrittenBeforeTheBackendIsAsked) {
    backendError = "Not allowed";
    EXPECT_FALSE(Resolve(Link("lk", "item", "https://api.x/")));
    EXPECT_EQ(content.baseAddress, L"https://api.x");
    EXPECT_TRUE(content.contentUrl.empty());
}

TEST_F(LinkResolution, FirstLogLineCountsUtf16Units) {
    Resolve("Tovrelapp:\U0001F600");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "ParseSchemeArgs called with payload length: 12");
}

}  // namespace
}  // namespace pellaro

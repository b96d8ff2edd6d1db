#include "diag/connection_failure.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "core/text.h"

namespace pellaro {
namespace {

struct Shown {
    std::wstring title, message, arabic;
    std::string code;
    std::thread::id thread;
    std::chrono::steady_clock::time_point at;
};

// Records the notice instead of ending the process.
class ConnectionFailure : public ::testing::Test {
protected:
    void SetUp() override {
        SetConnectionFailureNotice(
            [this](const std::wstring& t, const std::wstring& m, const std::wstring& a, const std::string& c) {
                std::lock_guard lock(mutex_);
                shown_ = Shown{t, m, a, c, std::this_thread::get_id(), std::chrono::steady_clock::now()};
                cv_.notify_all();
            });
    }
    void TearDown() override { SetConnectionFailureNotice({}); }

    std::optional<Shown> WaitForNotice(std::chrono::seconds limit) {
        std::unique_lock lock(mutex_);
        cv_.wait_for(lock, limit, [this] { return shown_.has_value(); });
        return shown_;
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::optional<Shown> shown_;
};

TEST_F(ConnectionFailure, PinFailureShowsTheNoticeOnTheCallingThread) {
    ReportPinFailure(L"api.tovrel.localhost");
    ASSERT_TRUE(shown_.has_value());
    EXPECT_EQ(shown_->thread, std::this_thread::get_id());
    EXPECT_EQ(shown_->code, "SSL_api.tovrel.localhost");
    EXPECT_EQ(ToUtf8(shown_->title),
              "Network Connection Intercepted - \xd8\xa7\xd8\xaa\xd8\xb5\xd8\xa7\xd9\x84 \xd8\xba\xd9\x8a\xd8\xb1 "
              "\xd8\xa2\xd9\x85\xd9\x86");
    EXPECT_EQ(shown_->message,
              L"A security program is blocking the secure connection.\nPlease disable 'HTTPS Scanning' or "
              L"'Web Shield' in your antivirus settings and try again.");
    EXPECT_EQ(shown_->arabic, InterceptedArabicMessage());
    EXPECT_TRUE(ToUtf8(shown_->arabic).starts_with("\xd8\xa8\xd8\xb1\xd9\x86\xd8\xa7\xd9\x85\xd8\xac "));
    EXPECT_NE(shown_->arabic.find(L".\n"), std::wstring::npos);
}

TEST(ConnectionFailureCodes, PinFailureKeepsTheWholeHost) {
    const std::wstring longHost(300, L'a');
    EXPECT_EQ(PinFailureCode(longHost).size(), 304u);
    EXPECT_EQ(PinFailureCode(L"b\u00fccher.example"),
              "SSL_b\xc3\xbc"
              "cher.example");
}

TEST(ConnectionFailureCodes, BlockedHostIsCutTo100Bytes) {
    struct Case {
        std::wstring host;
        std::size_t size;
    };
    const Case cases[] = {
        {L"cdn.example.com", 24},
        {std::wstring(91, L'h'), 100},  // exactly the limit
        {std::wstring(92, L'h'), 100},
        {std::wstring(500, L'h'), 100},
    };
    for (const Case& c : cases) {
        const std::string code = BlockedHostCode(c.host);
        EXPECT_EQ(code.size(), c.size);
        EXPECT_TRUE(code.starts_with("MITM_PIN_"));
        EXPECT_EQ(code.substr(9), ToUtf8(c.host).substr(0, 91));
    }
}

TEST_F(ConnectionFailure, BlockedHostWaitsHalfASecondOnItsOwnThread) {
    const auto start = std::chrono::steady_clock::now();
    {
        std::wstring host = L"video.cdn.example";
        ReportBlockedHost(host);
        host.assign(L"overwritten");  // the thread owns its own copy
    }
    {
        std::lock_guard lock(mutex_);
        EXPECT_FALSE(shown_.has_value()) << "the caller must not wait for the notice";
    }
    const std::optional<Shown> shown = WaitForNotice(std::chrono::seconds(30));
    ASSERT_TRUE(shown.has_value());
    EXPECT_NE(shown->thread, std::this_thread::get_id());
    EXPECT_GE(shown->at - start, std::chrono::milliseconds(500));
    EXPECT_EQ(shown->code, "MITM_PIN_video.cdn.example");
    EXPECT_EQ(shown->title, InterceptedTitle());
}

}  // namespace
}  // namespace pellaro

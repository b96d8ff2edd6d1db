#pragma once
// The texts a browser host reports about its start, shared by both editions.
#include <cstdint>
#include <string>

namespace WebView {

// Why a host failed, as a code. The numbers are those the users' status texts
// have always shown ("0x%08X"), the same in both editions.
enum class HostError : std::uint32_t {
    InvalidArgument = 0x80070057,
    Failed = 0x80004005,
    Aborted = 0x80004004,
    Pending = 0x8000000A,
};

// The code as reported: onInitialized's result and LastResult().
constexpr std::int32_t ResultCode(HostError error) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(error));
}
// An OS error number in the same family (0x8007xxxx); 0 gives Failed.
constexpr std::int32_t ResultFromOsError(unsigned error) {
    return error == 0 ? ResultCode(HostError::Failed)
                      : static_cast<std::int32_t>(0x80070000u | (error & 0xFFFFu));
}

// One failed attempt: code and the named stage it failed in.
struct AttemptFailure {
    std::int32_t hr = 0;
    std::wstring stage;
    std::wstring folder;
};

// Remembers the first and the last failure of Initialize.
class FailureLog {
public:
    explicit FailureLog(std::wstring baseFolder);
    void Record(std::int32_t hr, const std::wstring& stage, const std::wstring& folder);
    std::int32_t Result() const;  // first code when one was recorded
    std::wstring Message(const std::wstring& runtimeKind, const std::wstring& version) const;

private:
    AttemptFailure first_, last_;
    bool haveFirst_ = false;
};

std::wstring HexResult(std::int32_t hr);  // "0x%08X"
std::wstring SuccessMessage(const std::wstring& runtimeKind, const std::wstring& version,
                            const std::wstring& folder);
// The data folder of attempt i: base for 0, base + "_Recovery_" + tag + "_" + i after.
std::wstring AttemptFolder(const std::wstring& baseFolder, const std::wstring& attemptTag, int attempt);

inline constexpr wchar_t kInvalidParentText[] = L"Invalid parent window or user-data folder.";
inline constexpr wchar_t kEvergreenSuffix[] = L"_Evergreen_Env5";
inline constexpr wchar_t kFixedSuffix[] = L"_Fixed_Env5";
inline constexpr wchar_t kWriteTestName[] = L".pellaro_write_test";

}  // namespace WebView

#pragma once
// The texts a browser host reports about its start: the failure bookkeeping
// both editions share, and each engine's own wording of it.
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
    return error == 0 ? ResultCode(HostError::Failed) : static_cast<std::int32_t>(0x80070000u | (error & 0xFFFFu));
}

// The steps of a start an attempt can fail in; each engine names them in its
// own words.
enum class StartStep {
    None,  // nothing was recorded
    CreateFolder,
    WriteTest,
    FolderOverride,         // the data folder handed to the engine
    BrowserFolderOverride,  // the engine's own folder handed to it
    CreateEnvironmentCall,
    CreateEnvironmentCallback,
    CreateControllerCall,
    CreateControllerCallback,
    GetView,
    MessagePump,
    QuitDuringStart,
    Pending,
    Complete,  // the view came and went again before the start ended
};

// One failed attempt: code, the step it failed in and its folder.
struct AttemptFailure {
    std::int32_t hr = 0;
    StartStep step = StartStep::None;
    std::wstring folder;
};

// Remembers the first and the last failure of a start.
class FailureLog {
public:
    explicit FailureLog(std::wstring baseFolder);
    void Record(std::int32_t hr, StartStep step, const std::wstring& folder);
    std::int32_t Result() const;  // first code when one was recorded
    const AttemptFailure& First() const { return first_; }
    const AttemptFailure& Last() const { return last_; }

private:
    AttemptFailure first_, last_;
    bool haveFirst_ = false;
};

// The engine a host runs on: a fixed runtime beside the program or the
// installed one, and its version when known.
struct EngineRuntime {
    bool fixed = false;
    std::wstring version;
};

// What an edition tells its users about a start.
class HostWording {
public:
    virtual ~HostWording() = default;
    virtual std::wstring Success(const EngineRuntime& runtime, const std::wstring& folder) const = 0;
    virtual std::wstring Failure(const FailureLog& failures, const EngineRuntime& runtime) const = 0;
    // The start-failure box: its text around the host's status text, and its caption.
    virtual std::wstring FailureBox(const std::wstring& status) const = 0;
    virtual const wchar_t* FailureCaption() const = 0;
    // A start without a window to sit in or a data folder.
    virtual std::wstring InvalidParent() const = 0;
};

const HostWording& WebView2Wording();     // Windows: the runtime's own names
const HostWording& QtWebEngineWording();  // Linux: plain words, English then Arabic
// The wording of this edition's engine (defined by its host file).
const HostWording& EditionWording();

std::wstring HexResult(std::int32_t hr);  // "0x%08X"
// The data folder of attempt i: base for 0, base + "_Recovery_" + tag + "_" + i after.
std::wstring AttemptFolder(const std::wstring& baseFolder, const std::wstring& attemptTag, int attempt);

inline constexpr wchar_t kEvergreenSuffix[] = L"_Evergreen_Env5";
inline constexpr wchar_t kFixedSuffix[] = L"_Fixed_Env5";
inline constexpr wchar_t kWriteTestName[] = L".pellaro_write_test";

}  // namespace WebView

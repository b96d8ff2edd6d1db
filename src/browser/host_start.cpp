#include "browser/host_start.h"

#include <algorithm>

namespace WebView {

StartOutcome StartHost(HostEngine& engine, const HostWording& wording, void* parent, const std::wstring& userDataFolder,
                       int maxAttempts) {
    if (!engine.Attach(parent) || userDataFolder.empty())
        return {false, ResultCode(HostError::InvalidArgument), wording.InvalidParent(), false};

    const EngineRuntime runtime = engine.PrepareEnvironment(userDataFolder);
    const std::wstring baseFolder = userDataFolder + (runtime.fixed ? kFixedSuffix : kEvergreenSuffix);
    const std::wstring attemptTag = engine.AttemptTag();
    FailureLog failures(baseFolder);

    for (int attempt = 0; attempt < std::max(1, maxAttempts); ++attempt) {
        const std::wstring folder = AttemptFolder(baseFolder, attemptTag, attempt);
        if (const std::int32_t hr = engine.CreateFolder(folder)) {
            failures.Record(hr, StartStep::CreateFolder, folder);
            continue;
        }
        if (const std::int32_t hr = engine.WriteTestFile(folder, kWriteTestName)) {
            failures.Record(hr, StartStep::WriteTest, folder);
            continue;
        }
        const StepOutcome created = engine.CreateView(folder, attempt);
        if (!created.ok()) {
            failures.Record(created.hr, created.step, folder);
            engine.Close();
            continue;
        }
        engine.ConnectEvents();
        engine.Show();
        return {true, 0, wording.Success(runtime, folder), true};
    }
    return {false, failures.Result(), wording.Failure(failures, runtime), true};
}

}  // namespace WebView

// Windows edition entry: the command line and the common start-up.
#include <windows.h>
#include <shellapi.h>

#include "app/startup.h"
#include "app/startup_steps.h"
#include "app/startup_wiring.h"
#include "browser/browser_windows.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    pellaro::StartupInput input;
    input.rawCommandLine = commandLine != nullptr ? commandLine : L"";
    int argc = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc)) {
        if (argc > 1) input.firstArgument = argv[1];
        LocalFree(argv);
    }
    pellaro::InstallBrowserWindows();
    pellaro::StartupSteps steps = pellaro::MakeStartupSteps(instance);
    pellaro::AddSubsystemSteps(steps);
    return pellaro::RunStartup(input, steps);
}

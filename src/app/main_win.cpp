// Windows edition entry: the command line and the common start-up.
#include <windows.h>
#include <shellapi.h>

#include "app/startup.h"
#include "app/startup_wiring.h"
#include "platform/scoped_handles_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    pellaro::StartupInput input;
    input.rawCommandLine = commandLine != nullptr ? commandLine : L"";
    int argc = 0;
    if (const pellaro::LocalMemory<LPWSTR> argv(CommandLineToArgvW(GetCommandLineW(), &argc)); argv && argc > 1)
        input.firstArgument = argv.get()[1];
    return pellaro::RunStartup(input, pellaro::WireProgram(instance));
}

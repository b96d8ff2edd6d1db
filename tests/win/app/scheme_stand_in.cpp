// Stands in for the player when the shell opens a scheme link: writes how many
// arguments it got and each of them (UTF-8, one a line) to arguments.txt
// beside itself.
#include <windows.h>
#include <shellapi.h>

#include <string>

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 1;
    std::wstring text = std::to_wstring(argc - 1) + L"\n";
    for (int i = 1; i < argc; ++i) text += std::wstring(argv[i]) + L"\n";
    LocalFree(argv);

    wchar_t self[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    folder = folder.substr(0, folder.find_last_of(L'\\'));
    const std::wstring part = folder + L"\\arguments.part";
    const std::wstring done = folder + L"\\arguments.txt";

    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                          nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(part.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

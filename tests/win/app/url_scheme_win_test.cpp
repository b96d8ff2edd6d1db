#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/url_scheme.h"
#include "platform/program_path.h"

namespace pellaro {
namespace {

// The value's text, or "<missing>"; the size must count the terminating zero.
std::wstring ReadText(HKEY root, const std::wstring& subKey, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD bytes = sizeof(buffer);
    DWORD type = 0;
    if (RegGetValueW(root, subKey.c_str(), name, RRF_RT_ANY, &type, buffer, &bytes) != ERROR_SUCCESS)
        return L"<missing>";
    if (type != REG_SZ) return L"<not REG_SZ>";
    const std::wstring text(buffer);
    if (bytes != (text.size() + 1) * sizeof(wchar_t)) return L"<size without terminator>";
    return text;
}

bool KeyExists(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class UrlSchemeWinTest : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        for (HKEY key : volatileKeys_) RegCloseKey(key);
        Clean();
    }
    static void Clean() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteTreeW(root, L"Software\\Classes\\Tovrelapp");
            RegDeleteTreeW(root, L"Software\\PellaroVolatileRoot");
        }
    }
    // Points a predefined hive at a volatile key: Wine keeps no access rights
    // on keys, but it refuses lasting subkeys below a volatile one, so every
    // RegCreateKeyExW under the overridden hive fails for real.
    void MakeHiveUnwritable(HKEY hive) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(hive, L"Software\\PellaroVolatileRoot", 0, nullptr, REG_OPTION_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        volatileKeys_.push_back(key);
        ASSERT_EQ(RegOverridePredefKey(hive, key), ERROR_SUCCESS);
    }
    std::vector<HKEY> volatileKeys_;
};

const std::wstring kMain = L"Software\\Classes\\Tovrelapp";
const std::wstring kIcon = kMain + L"\\DefaultIcon";
const std::wstring kCommand = kMain + L"\\shell\\open\\command";

TEST_F(UrlSchemeWinTest, WritesTheFourValuesForAPathWithSpaces) {
    const std::wstring path = L"C:\\Program Files\\Pellaro Player\\Tovrelapp.exe";
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", path));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kMain, nullptr), L"Pellaro Desktop Player");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kMain, L"URL Protocol"), L"");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kIcon, nullptr), path + L",1");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kCommand, nullptr),
              L"\"C:\\Program Files\\Pellaro Player\\Tovrelapp.exe\" \"%1\"");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMain));
}

TEST_F(UrlSchemeWinTest, ACopyFromAnotherFolderRewritesThePaths) {
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"C:\\First\\Tovrelapp.exe"));
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"D:\\Other Folder\\Tovrelapp.exe"));
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kMain, nullptr), L"Pellaro Desktop Player");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kIcon, nullptr), L"D:\\Other Folder\\Tovrelapp.exe,1");
    EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kCommand, nullptr), L"\"D:\\Other Folder\\Tovrelapp.exe\" \"%1\"");
}

TEST_F(UrlSchemeWinTest, MainKeyFallsBackToTheMachineHive) {
    MakeHiveUnwritable(HKEY_CURRENT_USER);
    EXPECT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"C:\\App\\Tovrelapp.exe"));
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kMain, nullptr), L"Pellaro Desktop Player");
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kMain, L"URL Protocol"), L"");
    // Icon and command belong to the user's hive only, which refused them.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kIcon));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCommand));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMain));
}

TEST_F(UrlSchemeWinTest, BothHivesUnwritableWritesNothing) {
    MakeHiveUnwritable(HKEY_CURRENT_USER);
    MakeHiveUnwritable(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"C:\\App\\Tovrelapp.exe"));
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMain));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kMain));
}

// A program under a path with spaces gets the whole link as its one argument
// when the registered command is run the way the shell runs it: "%1" replaced
// by the link, the line split by the usual Windows rules. (Wine's shell reads
// scheme handlers only from the machine's classes, so ShellExecute itself
// cannot be asked here.)
TEST_F(UrlSchemeWinTest, RegisteredCommandHandsTheLinkOverAsOneArgument) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"Pellaro Player " + std::to_wstring(GetCurrentProcessId());
    const std::wstring program = folder + L"\\stand in.exe";
    const std::wstring result = folder + L"\\arguments.txt";
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW((FolderOf(ProgramPath()) + L"\\scheme_stand_in.exe").c_str(), program.c_str(), FALSE));
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", program));

    std::wstring command = ReadText(HKEY_CURRENT_USER, kCommand, nullptr);
    const std::wstring link = L"Tovrelapp:abc%20def:ghi jkl";
    const auto placeholder = command.find(L"%1");
    ASSERT_NE(placeholder, std::wstring::npos) << command;
    command.replace(placeholder, 2, link);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        << GetLastError();
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 60000), WAIT_OBJECT_0);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    char buffer[512] = {};
    DWORD read = 0;
    HANDLE file = CreateFileW(result.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "the registered program wrote nothing";
    ReadFile(file, buffer, sizeof(buffer) - 1, &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(buffer, read), "1\nTovrelapp:abc%20def:ghi jkl\n");
    DeleteFileW(result.c_str());
    DeleteFileW(program.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace pellaro

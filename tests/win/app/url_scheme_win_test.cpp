#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/url_scheme.h"

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

}  // namespace
}  // namespace pellaro

#include <gtest/gtest.h>

#include "shell/url_scheme.h"

namespace pellaro {
namespace {

TEST(SchemeRegistryValuesTest, FourValuesUnderTheUsersClasses) {
    const auto values = SchemeRegistryValues(L"Tovrelapp", L"Pellaro Desktop Player",
                                             L"C:\\Program Files\\Pellaro\\Tovrelapp.exe");
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(values[0].subKey, L"Software\\Classes\\Tovrelapp");
    EXPECT_EQ(values[0].name, L"");
    EXPECT_EQ(values[0].data, L"Pellaro Desktop Player");
    EXPECT_EQ(values[1].subKey, L"Software\\Classes\\Tovrelapp");
    EXPECT_EQ(values[1].name, L"URL Protocol");
    EXPECT_EQ(values[1].data, L"");
    EXPECT_EQ(values[2].subKey, L"Software\\Classes\\Tovrelapp\\DefaultIcon");
    EXPECT_EQ(values[2].data, L"C:\\Program Files\\Pellaro\\Tovrelapp.exe,1");
    EXPECT_EQ(values[3].subKey, L"Software\\Classes\\Tovrelapp\\shell\\open\\command");
    EXPECT_EQ(values[3].data, L"\"C:\\Program Files\\Pellaro\\Tovrelapp.exe\" \"%1\"");
}

struct ExecCase {
    const char* name;
    const char* argument;
    const char* expected;
};

class DesktopExecArgumentTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(DesktopExecArgumentTest, QuotesAndEscapes) {
    EXPECT_EQ(DesktopExecArgument(GetParam().argument), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, DesktopExecArgumentTest,
                         ::testing::Values(ExecCase{"Plain", "/opt/pellaro/pellaro", "/opt/pellaro/pellaro"},
                                           ExecCase{"Space", "/opt/my apps/pellaro", "\"/opt/my apps/pellaro\""},
                                           ExecCase{"Dollar", "/opt/a$b/p", "\"/opt/a\\\\$b/p\""},
                                           ExecCase{"QuoteAndBacktick", "/opt/a\"b`c/p", "\"/opt/a\\\\\"b\\\\`c/p\""},
                                           // One backslash: "\\" after quoting, each doubled as a string value.
                                           ExecCase{"Backslash", "/opt/a\\b/p", "\"/opt/a\\\\\\\\b/p\""},
                                           ExecCase{"ReservedWithoutEscape", "/opt/a;b(c)", "\"/opt/a;b(c)\""},
                                           ExecCase{"PercentDoubled", "/opt/100%/p", "/opt/100%%/p"},
                                           ExecCase{"Empty", "", "\"\""}),
                         [](const ::testing::TestParamInfo<ExecCase>& info) { return std::string(info.param.name); });

TEST(SchemeDesktopEntryTest, HandlesTheSchemeWithoutShowingInMenus) {
    EXPECT_EQ(SchemeMimeType("Tovrelapp"), "x-scheme-handler/tovrelapp");
    EXPECT_EQ(SchemeDesktopFileName("Tovrelapp"), "tovrelapp.desktop");
    EXPECT_EQ(SchemeDesktopEntry("Tovrelapp", "Pellaro Desktop Player", "/opt/my apps/pellaro"),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Pellaro Desktop Player\n"
              "Exec=\"/opt/my apps/pellaro\" %u\n"
              "Terminal=false\n"
              "NoDisplay=true\n"
              "MimeType=x-scheme-handler/tovrelapp;\n");
}

struct MimeappsCase {
    const char* name;
    const char* before;
    const char* after;
};

class WithDefaultHandlerTest : public ::testing::TestWithParam<MimeappsCase> {};

TEST_P(WithDefaultHandlerTest, SetsOnlyOurEntry) {
    EXPECT_EQ(WithDefaultHandler(GetParam().before, "x-scheme-handler/tovrelapp", "tovrelapp.desktop"),
              GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WithDefaultHandlerTest,
    ::testing::Values(
        MimeappsCase{"NoFile", "", "[Default Applications]\nx-scheme-handler/tovrelapp=tovrelapp.desktop;\n"},
        MimeappsCase{"OtherGroupOnly", "[Added Associations]\ntext/plain=gedit.desktop;\n",
                     "[Added Associations]\ntext/plain=gedit.desktop;\n\n"
                     "[Default Applications]\nx-scheme-handler/tovrelapp=tovrelapp.desktop;\n"},
        MimeappsCase{"AppendedToDefaults",
                     "[Default Applications]\ntext/html=firefox.desktop\n\n[Added Associations]\na/b=c.desktop;\n",
                     "[Default Applications]\ntext/html=firefox.desktop\n"
                     "x-scheme-handler/tovrelapp=tovrelapp.desktop;\n\n[Added Associations]\na/b=c.desktop;\n"},
        MimeappsCase{"ReplacesOldHandlerInPlace",
                     "# mine\n[Default Applications]\nx-scheme-handler/tovrelapp = old.desktop;\ntext/html=f.desktop\n",
                     "# mine\n[Default Applications]\nx-scheme-handler/tovrelapp=tovrelapp.desktop;\n"
                     "text/html=f.desktop\n"},
        // The same key in another group is not ours to change.
        MimeappsCase{"KeepsOtherGroupsKey",
                     "[Added Associations]\nx-scheme-handler/tovrelapp=x.desktop;\n[Default Applications]\n",
                     "[Added Associations]\nx-scheme-handler/tovrelapp=x.desktop;\n[Default Applications]\n"
                     "x-scheme-handler/tovrelapp=tovrelapp.desktop;\n"},
        MimeappsCase{"LongerKeyUntouched", "[Default Applications]\nx-scheme-handler/tovrelappx=y.desktop;\n",
                     "[Default Applications]\nx-scheme-handler/tovrelappx=y.desktop;\n"
                     "x-scheme-handler/tovrelapp=tovrelapp.desktop;\n"},
        MimeappsCase{"NoFinalLineBreak", "[Default Applications]\ntext/html=f.desktop",
                     "[Default Applications]\ntext/html=f.desktop\nx-scheme-handler/tovrelapp=tovrelapp.desktop;\n"}),
    [](const ::testing::TestParamInfo<MimeappsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pellaro

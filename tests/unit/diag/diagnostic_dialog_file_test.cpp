#include "diag/diagnostic_dialog_file.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(DiagnosticDialogFile, WhatIsWrittenReadsBack) {
    const DiagnosticDialogFile file{"Fehler \xd8\xae", "QUJD+/==", "<html><p>\"a\" & 'b'</p></html>"};
    EXPECT_EQ(ParseDiagnosticDialogFile(BuildDiagnosticDialogFile(file)), file);
}

TEST(DiagnosticDialogFile, TextThatIsNotUtf8IsReplacedNotRefused) {
    const auto read = ParseDiagnosticDialogFile(BuildDiagnosticDialogFile({"t", "c\xff", "d"}));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->code, "c\xef\xbf\xbd");
}

TEST(DiagnosticDialogFile, AbsentTitleIsEmpty) {
    const auto read = ParseDiagnosticDialogFile(R"({"code":"c","document":"d"})");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, "");
}

TEST(DiagnosticDialogFile, MalformedFilesAreRefused) {
    for (const char* text : {"", "not json", "[]", R"({"document":"d"})", R"({"code":"c"})",
                             R"({"code":1,"document":"d"})", R"({"code":"c","document":null})",
                             R"({"code":"c","document":"d","title":5})", R"({"code":"c","document":"d"} x)"}) {
        EXPECT_FALSE(ParseDiagnosticDialogFile(text)) << text;
    }
}

}  // namespace
}  // namespace pellaro

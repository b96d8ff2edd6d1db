#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "shell/runtime_gate_qt.h"
#include "qt_test_app.h"

namespace pellaro {
namespace {

class WebEngineGateQtTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::EnsureQtApplication();
        const char* value = std::getenv("QTWEBENGINEPROCESS_PATH");
        saved_ = value ? std::optional<std::string>(value) : std::nullopt;
        unsetenv("QTWEBENGINEPROCESS_PATH");
    }
    void TearDown() override {
        if (saved_) setenv("QTWEBENGINEPROCESS_PATH", saved_->c_str(), 1);
        else unsetenv("QTWEBENGINEPROCESS_PATH");
        std::error_code ec;
        if (!scratch_.empty()) std::filesystem::remove(scratch_, ec);
    }
    // The real discovery, with the message box recorded instead of shown.
    bool RunRecorded() {
        WebEngineGateSeam seam = SystemWebEngineGateSeam();
        seam.messageBox = [this](const MessageBoxSpec& spec) {
            shown_.push_back(spec);
            return MessageAnswer::Ok;
        };
        return RunWebEngineGate(seam);
    }
    std::optional<std::string> saved_;
    std::vector<MessageBoxSpec> shown_;
    std::filesystem::path scratch_;
};

TEST_F(WebEngineGateQtTest, HelperOfThisMachinePasses) {
    EXPECT_TRUE(RunRecorded());
    EXPECT_TRUE(shown_.empty());
    EXPECT_TRUE(RuntimeGate());  // nothing to show, so nothing blocks
}

TEST_F(WebEngineGateQtTest, MissingHelperStops) {
    setenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess", 1);
    EXPECT_FALSE(RunRecorded());
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_NE(shown_[0].text.find(L"libqt6webenginecore6-bin"), std::wstring::npos);
}

TEST_F(WebEngineGateQtTest, HelperThatCannotRunStops) {
    scratch_ = std::filesystem::temp_directory_path() / ("pellaro-helper-" + std::to_string(::getpid()));
    std::ofstream(scratch_) << "not a program";
    std::filesystem::permissions(scratch_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    setenv("QTWEBENGINEPROCESS_PATH", scratch_.c_str(), 1);
    EXPECT_FALSE(RunRecorded());
    EXPECT_EQ(shown_.size(), 1u);
}

// The real gate shows a real box; answer it as a user would.
TEST_F(WebEngineGateQtTest, RealGateShowsTheMessage) {
    setenv("QTWEBENGINEPROCESS_PATH", "/nonexistent/QtWebEngineProcess", 1);
    QString caption;
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            box->button(QMessageBox::Ok)->click();
        }
    });
    answer.start();
    EXPECT_FALSE(RuntimeGate());
    answer.stop();
    EXPECT_EQ(caption, QStringLiteral("Pellaro \u2014 Component Required"));
}

}  // namespace
}  // namespace pellaro

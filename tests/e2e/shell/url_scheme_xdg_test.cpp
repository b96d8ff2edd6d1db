#include <gtest/gtest.h>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "shell/url_scheme.h"
#include "core/text.h"

namespace pellaro {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

// Output of a shell command, without the final line break.
std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
        pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// A temporary HOME with its own XDG folders; the variables come back afterwards.
class XdgSchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pellaro-xdg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CURRENT_DESKTOP", "XDG_DATA_DIRS"}) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
        home_ = root_ / "home";
        fs::create_directories(home_);
        setenv("HOME", home_.c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) setenv(name.c_str(), value->c_str(), 1);
            else unsetenv(name.c_str());
        }
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path root_;
    fs::path home_;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(XdgSchemeTest, WritesTheEntryAndBecomesTheDefaultHandler) {
    WriteFile(home_ / ".config/mimeapps.list",
              "[Default Applications]\ntext/html=browser.desktop\nx-scheme-handler/tovrelapp=old.desktop;\n");
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"/opt/Pellaro Player/pellaro"));

    const std::string entry = ReadFile(home_ / ".local/share/applications/tovrelapp.desktop");
    EXPECT_NE(entry.find("\nMimeType=x-scheme-handler/tovrelapp;\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nExec=\"/opt/Pellaro Player/pellaro\" %u\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nNoDisplay=true\n"), std::string::npos) << entry;
    const std::string mimeapps = ReadFile(home_ / ".config/mimeapps.list");
    EXPECT_NE(mimeapps.find("text/html=browser.desktop\n"), std::string::npos) << mimeapps;
    EXPECT_EQ(mimeapps.find("old.desktop"), std::string::npos) << mimeapps;

    EXPECT_EQ(CommandOutput("xdg-mime query default x-scheme-handler/tovrelapp 2>/dev/null"), "tovrelapp.desktop");
}

TEST_F(XdgSchemeTest, RespectsXdgFoldersAndRewritesForAnotherCopy) {
    setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"/first/pellaro"));
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"/second copy/pellaro"));
    const std::string entry = ReadFile(root_ / "data/applications/tovrelapp.desktop");
    EXPECT_NE(entry.find("Exec=\"/second copy/pellaro\" %u\n"), std::string::npos) << entry;
    EXPECT_EQ(entry.find("/first/"), std::string::npos);
    EXPECT_TRUE(fs::exists(root_ / "config/mimeapps.list"));
    EXPECT_FALSE(fs::exists(home_ / ".local"));
    EXPECT_EQ(CommandOutput("xdg-mime query default x-scheme-handler/tovrelapp 2>/dev/null"), "tovrelapp.desktop");
}

TEST_F(XdgSchemeTest, UnwritableFolderFailsSilently) {
    // A data folder below a plain file cannot be made, whoever runs the test.
    WriteFile(root_ / "plain", "x");
    setenv("XDG_DATA_HOME", (root_ / "plain/data").c_str(), 1);
    EXPECT_FALSE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"/opt/pellaro"));
    EXPECT_FALSE(fs::exists(home_ / ".config/mimeapps.list"));
}

// Root reads any file (CI runs as root): there the registration runs in a
// child process that has become "nobody", which owns the temporary HOME.
TEST_F(XdgSchemeTest, UnreadableMimeappsListIsLeftAlone) {
    const fs::path mimeapps = home_ / ".config/mimeapps.list";
    const std::string text = "[Default Applications]\ntext/html=browser.desktop\n";
    WriteFile(mimeapps, text);
    const bool root = geteuid() == 0;
    const passwd* nobody = getpwnam("nobody");
    if (root) {
        ASSERT_NE(nobody, nullptr) << "no user 'nobody' to run as";
        ASSERT_EQ(lchown(root_.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        for (const auto& entry : fs::recursive_directory_iterator(root_))
            ASSERT_EQ(lchown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid), 0) << entry.path();
    }
    chmod(mimeapps.c_str(), 0200);
    enum Outcome { kLeftAlone, kNoUser, kStillReadable, kRegistered };
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (root && (setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0))
            _exit(kNoUser);
        if (access(mimeapps.c_str(), R_OK) == 0) _exit(kStillReadable);
        _exit(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", L"/opt/pellaro") ? kRegistered : kLeftAlone);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the child ended with status " << status;
    EXPECT_EQ(WEXITSTATUS(status), kLeftAlone)
        << "1: could not become nobody, 2: the file stayed readable, 3: the registration went through";
    chmod(mimeapps.c_str(), 0600);
    EXPECT_EQ(ReadFile(mimeapps), text);
}

// The link reaches the registered program as one argument, through the
// desktop's opener. xdg-open hands scheme links to GLib's launcher on GNOME;
// its generic fallback splits an Exec path at spaces, whatever the quoting.
TEST_F(XdgSchemeTest, OpenedLinkArrivesAsOneArgument) {
    ASSERT_FALSE(CommandOutput("command -v gio").empty())
        << "gio is missing (libglib2.0-bin): run scripts/install-deps.sh";
    const fs::path folder = root_ / "stand in";
    const fs::path program = folder / "pellaro stand-in";
    const fs::path result = folder / "arguments.txt";
    WriteFile(program,
              "#!/bin/sh\n"
              "out=\"$(dirname \"$0\")/arguments.txt\"\n"
              "printf '%s\\n' \"$#\" \"$@\" > \"$out.part\" && mv \"$out.part\" \"$out\"\n");
    chmod(program.c_str(), 0755);
    ASSERT_TRUE(RegisterUrlScheme(L"Tovrelapp", L"Pellaro Desktop Player", FromUtf8(program.string())));

    setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
    const std::string link = "tovrelapp:abc%20def:ghi?x=1&y=2";
    const int rc = std::system(("xdg-open " + ShellQuoted(link) + " >/dev/null 2>&1").c_str());
    ASSERT_EQ(WEXITSTATUS(rc), 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(result) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(fs::exists(result)) << "the stand-in was not started";
    EXPECT_EQ(ReadFile(result), "1\n" + link + "\n");
}

}  // namespace
}  // namespace pellaro

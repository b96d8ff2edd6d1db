#include "shell/url_scheme.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro {
namespace {

namespace fs = std::filesystem;

// An XDG base folder: the variable when it holds an absolute path, else HOME + fallback.
fs::path BaseFolder(const char* variable, const char* homeRelative) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return fs::path(value);
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};
    return fs::path(home) / homeRelative;
}

// The file's text, empty when there is no file, nothing when it cannot be read
// (then it must not be replaced, or the user's other entries would be lost).
std::optional<std::string> ReadExisting(const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return ec ? std::nullopt : std::optional<std::string>(std::string());
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return text.str();
}

// Writes beside the target and renames, so a reader never sees half a file.
bool WriteReplacing(const fs::path& file, const std::string& text) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    if (ec) return false;
    const fs::path temporary = file.string() + ".tmp-" + std::to_string(getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text;
        out.close();
        if (!out) {
            fs::remove(temporary, ec);
            return false;
        }
    }
    fs::rename(temporary, file, ec);
    if (ec) fs::remove(temporary, ec);
    return !ec;
}

}  // namespace

bool RegisterUrlScheme(const std::wstring& schemeName, const std::wstring& description,
                       const std::wstring& programPath) {
    const std::string scheme = ToUtf8(schemeName);
    const fs::path dataHome = BaseFolder("XDG_DATA_HOME", ".local/share");
    const fs::path configHome = BaseFolder("XDG_CONFIG_HOME", ".config");
    if (dataHome.empty() || configHome.empty() || scheme.empty() || programPath.empty()) return false;

    const std::string desktopFile = SchemeDesktopFileName(scheme);
    const std::string entry = SchemeDesktopEntry(scheme, ToUtf8(description), ToUtf8(programPath));
    if (!WriteReplacing(dataHome / "applications" / desktopFile, entry)) {
        DebugLine("URL scheme: the desktop entry could not be written");
        return false;
    }
    fs::path mimeapps = configHome / "mimeapps.list";
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(mimeapps, ec))) {
        mimeapps = fs::canonical(mimeapps, ec);  // keep a linked dotfile linked
        if (ec) return false;
    }
    const std::optional<std::string> current = ReadExisting(mimeapps);
    if (!current || !WriteReplacing(mimeapps, WithDefaultHandler(*current, SchemeMimeType(scheme), desktopFile))) {
        DebugLine("URL scheme: mimeapps.list could not be updated");
        return false;
    }
    return true;
}

}  // namespace pellaro

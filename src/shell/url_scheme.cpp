#include "shell/url_scheme.h"

#include <sstream>
#include <string_view>

#include "core/text.h"

namespace pellaro {
namespace {

constexpr std::string_view kDefaultGroup = "[Default Applications]";
// Characters that force quoting of an Exec argument.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Inside double quotes these take a backslash.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

std::string Trimmed(std::string_view line) {
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const auto last = line.find_last_not_of(" \t\r");
    return std::string(line.substr(first, last - first + 1));
}

// A line's key before "=", trimmed; empty for groups, comments and blank lines.
std::string KeyOf(const std::string& line) {
    const std::string trimmed = Trimmed(line);
    if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == '[') return {};
    const auto eq = trimmed.find('=');
    return eq == std::string::npos ? std::string() : Trimmed(std::string_view(trimmed).substr(0, eq));
}

}  // namespace

std::vector<SchemeRegistryValue> SchemeRegistryValues(const std::wstring& schemeName, const std::wstring& description,
                                                      const std::wstring& programPath) {
    const std::wstring key = L"Software\\Classes\\" + schemeName;
    return {
        {key, L"", description},
        {key, L"URL Protocol", L""},
        {key + L"\\DefaultIcon", L"", programPath + L",1"},
        {key + L"\\shell\\open\\command", L"", L"\"" + programPath + L"\" \"%1\""},
    };
}

std::string SchemeMimeType(const std::string& schemeName) { return "x-scheme-handler/" + LowerAscii(schemeName); }

std::string SchemeDesktopFileName(const std::string& schemeName) { return LowerAscii(schemeName) + ".desktop"; }

std::string DesktopExecArgument(const std::string& argument) {
    std::string quoted;
    if (argument.empty() || argument.find_first_of(kReserved) != std::string::npos) {
        quoted = "\"";
        for (char c : argument) {
            if (kEscapedInQuotes.find(c) != std::string_view::npos) quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    } else {
        quoted = argument;
    }
    // Then the escapes of any string value, and "%" which would start a field code.
    std::string value;
    for (char c : quoted) {
        switch (c) {
            case '\\': value += "\\\\"; break;
            case '\n': value += "\\n"; break;
            case '\t': value += "\\t"; break;
            case '\r': value += "\\r"; break;
            case '%': value += "%%"; break;
            default: value += c;
        }
    }
    return value;
}

std::string SchemeDesktopEntry(const std::string& schemeName, const std::string& description,
                               const std::string& programPath) {
    std::string name;
    for (char c : description) name += (c == '\n' || c == '\r') ? ' ' : c;
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           name +
           "\n"
           "Exec=" +
           DesktopExecArgument(programPath) +
           " %u\n"
           "Terminal=false\n"
           "NoDisplay=true\n"
           "MimeType=" +
           SchemeMimeType(schemeName) + ";\n";
}

std::string WithDefaultHandler(const std::string& mimeappsList, const std::string& mimeType,
                               const std::string& desktopFileName) {
    const std::string entry = mimeType + "=" + desktopFileName + ";";
    std::istringstream in(mimeappsList);
    std::string out;
    std::string line;
    bool inDefaults = false;
    bool written = false;
    bool sawDefaults = false;
    while (std::getline(in, line)) {
        const std::string trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed[0] == '[') {
            if (inDefaults && !written) {
                // At the end of the group's own lines, before the blank ones.
                std::size_t end = out.size();
                while (end >= 2 && out[end - 1] == '\n' && out[end - 2] == '\n') --end;
                out.insert(end, entry + "\n");
                written = true;
            }
            inDefaults = trimmed == kDefaultGroup;
            sawDefaults = sawDefaults || inDefaults;
        } else if (inDefaults && KeyOf(line) == mimeType) {
            if (!written) out += entry + "\n";
            written = true;
            continue;
        }
        out += line + "\n";
    }
    if (inDefaults && !written) {
        out += entry + "\n";
        written = true;
    }
    if (!sawDefaults) {
        if (!out.empty() && out.substr(out.size() >= 2 ? out.size() - 2 : 0) != "\n\n") out += "\n";
        out += std::string(kDefaultGroup) + "\n" + entry + "\n";
    }
    return out;
}

}  // namespace pellaro

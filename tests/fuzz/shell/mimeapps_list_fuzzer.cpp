// The user's mimeapps.list, read back before the scheme's default handler is
// set: any text keeps its other lines, ends with exactly one handler line for
// the scheme, and setting it again changes nothing.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "shell/url_scheme.h"

namespace {

constexpr char kMime[] = "x-scheme-handler/pellaro";
constexpr char kDesktop[] = "pellaro.desktop";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

struct Lines {
    std::vector<std::string> others;    // every line but the scheme's handler lines
    std::vector<std::string> handlers;  // the scheme's lines inside [Default Applications]
};

Lines Split(const std::string& list) {
    Lines lines;
    std::istringstream in(list);
    std::string line;
    bool inDefaults = false;
    while (std::getline(in, line)) {
        const std::string trimmed = Trimmed(line);
        if (!trimmed.empty() && trimmed[0] == '[') inDefaults = trimmed == "[Default Applications]";
        const auto eq = trimmed.find('=');
        const bool handler = inDefaults && !trimmed.empty() && trimmed[0] != '#' && trimmed[0] != '[' &&
                             eq != std::string::npos && Trimmed(trimmed.substr(0, eq)) == kMime;
        (handler ? lines.handlers : lines.others).push_back(line);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string list(reinterpret_cast<const char*>(data), size);
    const std::string once = pellaro::WithDefaultHandler(list, kMime, kDesktop);
    const Lines after = Split(once);
    if (after.handlers.size() != 1 || after.handlers[0] != std::string(kMime) + "=" + kDesktop + ";") __builtin_trap();
    if (pellaro::WithDefaultHandler(once, kMime, kDesktop) != once) __builtin_trap();
    // The old list's other lines all stay, in their order.
    std::size_t next = 0;
    for (const std::string& line : Split(list).others) {
        while (next < after.others.size() && after.others[next] != line) ++next;
        if (next == after.others.size()) __builtin_trap();
        ++next;
    }
    return 0;
}

#pragma once
// The file that hands the diagnostic dialog to its own process (Linux edition):
// JSON with the window title, the code for the clipboard and the HTML document.
#include <optional>
#include <string>
#include <string_view>

namespace pellaro {

struct DiagnosticDialogFile {
    std::string title;
    std::string code;
    std::string document;

    bool operator==(const DiagnosticDialogFile&) const = default;
};

// UTF-8 JSON text; bytes that are not UTF-8 become U+FFFD rather than failing.
std::string BuildDiagnosticDialogFile(const DiagnosticDialogFile& file);
// Empty unless the text is a JSON object with string members "code" and
// "document" and, when present, a string "title".
std::optional<DiagnosticDialogFile> ParseDiagnosticDialogFile(std::string_view text);

}  // namespace pellaro

#include "diag/diagnostic_dialog_file.h"

#include <nlohmann/json.hpp>

namespace pellaro {

std::string BuildDiagnosticDialogFile(const DiagnosticDialogFile& file) {
    const nlohmann::json content = {{"title", file.title}, {"code", file.code}, {"document", file.document}};
    return content.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<DiagnosticDialogFile> ParseDiagnosticDialogFile(std::string_view text) {
    const nlohmann::json content = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
    if (!content.is_object()) return std::nullopt;
    const auto member = [&content](const char* name) -> const nlohmann::json* {
        const auto found = content.find(name);
        return found == content.end() ? nullptr : &*found;
    };
    const nlohmann::json* code = member("code");
    const nlohmann::json* document = member("document");
    const nlohmann::json* title = member("title");
    if (!code || !code->is_string() || !document || !document->is_string() || (title && !title->is_string()))
        return std::nullopt;
    return DiagnosticDialogFile{title ? title->get<std::string>() : std::string(), code->get<std::string>(),
                                document->get<std::string>()};
}

}  // namespace pellaro

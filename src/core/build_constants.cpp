#include "core/build_constants.h"

#include "core/text.h"

namespace pellaro {

std::string Constant(ConstantKey key) { return profile::Assemble(key); }

std::wstring WideConstant(ConstantKey key) { return FromUtf8(profile::Assemble(key)); }

nlohmann::json ConstantJson(ConstantKey key) {
    return nlohmann::json::parse(profile::Assemble(key), nullptr, /*allow_exceptions=*/false);
}

std::vector<std::string> ConstantList(ConstantKey key) {
    std::vector<std::string> out;
    const auto json = ConstantJson(key);
    if (!json.is_array()) return out;
    for (const auto& item : json)
        if (item.is_string()) out.push_back(item.get<std::string>());
    return out;
}

std::vector<std::wstring> WideConstantList(ConstantKey key) {
    std::vector<std::wstring> out;
    for (const auto& item : ConstantList(key)) out.push_back(FromUtf8(item));
    return out;
}

}  // namespace pellaro

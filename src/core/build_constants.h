#pragma once
// Read access to the build profile's constants, assembled at run time.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "pellaro_profile.h"

namespace pellaro {

using ConstantKey = profile::Key;

// The constant's bytes (UTF-8 for texts). Wipe secrets with SecureWipe after use.
std::string Constant(ConstantKey key);
std::wstring WideConstant(ConstantKey key);
// A constant that the profile gives as an array of strings.
std::vector<std::string> ConstantList(ConstantKey key);
std::vector<std::wstring> WideConstantList(ConstantKey key);
// A constant that the profile gives as structured JSON.
nlohmann::json ConstantJson(ConstantKey key);

}  // namespace pellaro

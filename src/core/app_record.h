#pragma once
// What the program knows about itself.
#include <string>

namespace pellaro {

struct AppRecord {
    std::wstring displayName = L"Tovrel Academy";
    std::wstring schemeName = L"Tovrelapp";
    std::wstring versionText = L"4.12.0";
    std::wstring companyName;
};

// The one process-wide record; it does not change after start-up.
AppRecord& App();

}  // namespace pellaro

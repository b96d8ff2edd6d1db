#pragma once
// What the program knows about itself, and the content it was asked to show.
#include <string>

namespace pellaro {

// Filled by link resolution; baseAddress also by the home window's navigation observer.
struct ContentDescriptor {
    std::wstring baseAddress;
    std::wstring contentUrl;
    std::wstring contentType;
    std::wstring watermarkText;
    std::wstring pageScript;
    int itemNumber = 1;
};

struct AppRecord {
    std::wstring displayName = L"Tovrel Academy";
    std::wstring schemeName = L"Tovrelapp";
    std::wstring versionText = L"4.12.0";
    std::wstring companyName;
    ContentDescriptor content;
};

// The one process-wide record. Only the user-interface thread writes it.
AppRecord& App();

}  // namespace pellaro

#pragma once
// The recording runtime's two files: the script that steers it and the log of
// every call it received, one JSON object a line.
#include <windows.h>

#include <nlohmann/json.hpp>

#include <string>

namespace fake {

using Json = nlohmann::json;

// Read once per environment creation: PELLARO_FAKE_WEBVIEW2_SCRIPT, else
// fake_webview2.json in the runtime folder; an absent file is an empty script.
Json& Script();
void LoadScript();

// Appends one line to PELLARO_FAKE_WEBVIEW2_LOG, else fake_webview2.jsonl in
// the runtime folder.
void Record(Json line);

// The stage the script fails, with its code; S_OK when it does not fail there.
HRESULT FailureAt(const char* stage);
// Whether the script leaves the named interface out.
bool Omitted(const char* interfaceName);

std::string Narrow(const wchar_t* text);
std::wstring Wide(const std::string& text);
// A CoTaskMemAlloc copy, as the runtime hands out strings.
LPWSTR CoCopy(const std::wstring& text);

}  // namespace fake

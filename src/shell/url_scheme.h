#pragma once
// Registers the program as the handler of its URL scheme for the signed-in
// user, again at every start, pointing at the running executable.
#include <string>
#include <vector>

namespace pellaro {

// Windows: HKCU\Software\Classes\<scheme> (falling back to HKLM for the main key
// only), DefaultIcon and shell\open\command always in HKCU.
// Linux: an XDG desktop entry and the default handler in mimeapps.list.
// True when the main registration was written; failures are silent.
bool RegisterUrlScheme(const std::wstring& schemeName, const std::wstring& description,
                       const std::wstring& programPath);

// One registry value to write (REG_SZ); an empty name is the key's default value.
struct SchemeRegistryValue {
    std::wstring subKey;
    std::wstring name;
    std::wstring data;
};
// The main key's two values, then DefaultIcon, then the open command.
std::vector<SchemeRegistryValue> SchemeRegistryValues(const std::wstring& schemeName, const std::wstring& description,
                                                      const std::wstring& programPath);

// Desktop entry texts (Linux edition).
// The MIME type of a scheme: "x-scheme-handler/" and the scheme in lower case.
std::string SchemeMimeType(const std::string& schemeName);
// The entry's file name: the scheme in lower case and ".desktop".
std::string SchemeDesktopFileName(const std::string& schemeName);
// One Exec argument quoted by the Desktop Entry rules when it has spaces or
// reserved characters, then escaped as a string value ("%" doubled).
std::string DesktopExecArgument(const std::string& argument);
std::string SchemeDesktopEntry(const std::string& schemeName, const std::string& description,
                               const std::string& programPath);
// mimeapps.list with the scheme's default handler set in [Default Applications];
// every other line stays as it was.
std::string WithDefaultHandler(const std::string& mimeappsList, const std::string& mimeType,
                               const std::string& desktopFileName);

}  // namespace pellaro

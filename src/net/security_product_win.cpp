// The security-product check: a running, validly signed executable of the
// product whose signer name carries the product's marker.
#include <windows.h>
#include <softpub.h>
#include <tlhelp32.h>
#include <wincrypt.h>
#include <wintrust.h>

#include "net/pin_validation.h"
#include "core/text.h"
#include "platform/scoped_handles_win.h"

namespace pellaro {
namespace {

bool SignerMatches(const std::wstring& path, const std::wstring& signerMarker) {
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_SAFER_FLAG;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    bool matches = false;
    if (WinVerifyTrust(nullptr, &action, &data) == ERROR_SUCCESS) {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        if (signer && signer->csCertChain > 0 && signer->pasCertChain[0].pCert) {
            wchar_t name[512] = {};
            CertGetNameStringW(signer->pasCertChain[0].pCert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 512);
            matches = LowerUnits(name).find(signerMarker) != std::wstring::npos;
        }
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(nullptr, &action, &data);
    return matches;
}

}  // namespace

bool SecurityProductRunning(const SecurityProduct& product) {
    const ScopedKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return false;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !found;
         more = Process32NextW(snapshot.get(), &entry)) {
        const std::wstring exe = LowerUnits(entry.szExeFile);
        for (const std::wstring& name : product.processNames) {
            if (exe != name) continue;
            const ScopedKernelHandle process(
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
            if (!process) continue;
            wchar_t path[260] = {};
            DWORD size = 260;
            if (QueryFullProcessImageNameW(process.get(), 0, path, &size) && size > 0 &&
                SignerMatches(std::wstring(path, size), product.signerMarker))
                found = true;
            if (found) break;
        }
    }
    return found;
}

}  // namespace pellaro

// The security-product check on Linux: a running executable of the product,
// found by a /proc scan. Linux has no code-signing notion, so the signer
// marker is looked for in the executable's full path instead.
#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <string>

#include "net/pin_validation.h"
#include "core/text.h"

namespace pellaro {

bool SecurityProductRunning(const SecurityProduct& product) {
    DIR* proc = opendir("/proc");
    if (!proc) return false;
    bool found = false;
    while (!found) {
        const dirent* item = readdir(proc);
        if (!item) break;
        const std::string pid = item->d_name;
        if (pid.empty() || !std::isdigit(static_cast<unsigned char>(pid[0]))) continue;
        char path[4096];
        const ssize_t length = readlink(("/proc/" + pid + "/exe").c_str(), path, sizeof path - 1);
        if (length <= 0) continue;
        const std::wstring fullPath = FromUtf8(std::string_view(path, static_cast<size_t>(length)));
        const std::wstring fileName = LowerUnits(fullPath.substr(fullPath.find_last_of(L'/') + 1));
        for (const std::wstring& name : product.processNames) {
            if (fileName == name && LowerUnits(fullPath).find(product.signerMarker) != std::wstring::npos) {
                found = true;
                break;
            }
        }
    }
    closedir(proc);
    return found;
}

}  // namespace pellaro

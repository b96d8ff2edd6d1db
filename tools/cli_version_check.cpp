// pellaro-cli version-check [BASEADDRESS]: the backend's answer for this build.
#include <iostream>

#include "core/app_record.h"
#include "cli_command.h"
#include "net/pin_store.h"
#include "net/version_check.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

int VersionCheck(const Args& args) {
    if (args.size() > 1) {
        std::cerr << "usage: pellaro-cli version-check [BASEADDRESS]\n";
        return 2;
    }
    InstallDefaultPins();
    const double current = CurrentVersionNumber(App().versionText);
    const VersionInfo info = CheckVersion(current, args.empty() ? std::wstring() : FromUtf8(args[0]));
    std::cout << "hasUpdate: " << (info.hasUpdate ? "true" : "false") << "\n";
    std::cout << "isRequired: " << (info.isRequired ? "true" : "false") << "\n";
    std::cout << "link: " << ToUtf8(info.link) << "\n";
    return 0;
}

const CliCommand command("version-check", "version-check [BASEADDRESS]", VersionCheck);

}  // namespace
}  // namespace pellaro::cli

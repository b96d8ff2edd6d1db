// pellaro-cli version-check [BASEADDRESS]: the backend's answer for this build.
#include <iostream>

#include "core/app_record.h"
#include "cli_address.h"
#include "cli_command.h"
#include "net/pin_store.h"
#include "net/version_check.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

int VersionCheck(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) return UsageError("version-check", parsed.error);
    if (parsed.operands.size() > 1) return UsageError("version-check", "version-check wants at most one BASEADDRESS");
    const std::string base = parsed.operands.empty() ? std::string() : parsed.operands[0];
    if (!base.empty() && !ParseAddress(base, {"https", "http"}))
        return UsageError("version-check", "'" + base + "' is not a base address (https://HOST[:PORT][/PATH])");
    InstallDefaultPins();
    const double current = CurrentVersionNumber(App().versionText);
    const VersionInfo info = CheckVersion(current, FromUtf8(base));
    if (!info.error.empty()) {
        std::cout << "error: " << info.error << "\n";
        return kExitFailed;
    }
    std::cout << "hasUpdate: " << (info.hasUpdate ? "true" : "false") << "\n";
    std::cout << "isRequired: " << (info.isRequired ? "true" : "false") << "\n";
    std::cout << "link: " << ToUtf8(info.link) << "\n";
    return kExitDone;
}

const CliCommand command("version-check", "version-check [BASEADDRESS]",
                         "usage: pellaro-cli version-check [BASEADDRESS]\n"
                         "\n"
                         "Asks the backend whether a newer version than this build's exists, as the\n"
                         "player does at start-up (the built-in version address) or after a link (the\n"
                         "link's BASEADDRESS, https://HOST[:PORT][/PATH]), and prints hasUpdate,\n"
                         "isRequired and link. When no answer can be had or read, it prints error:\n"
                         "and why instead (the player then goes on without an update).\n"
                         "\n"
                         "exit codes: 0 answered, 1 no answer (error: on standard output), 2 usage error\n",
                         VersionCheck);

}  // namespace
}  // namespace pellaro::cli

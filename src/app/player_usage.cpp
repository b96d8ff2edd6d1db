#include "app/player_usage.h"

#include "core/app_record.h"
#include "core/text.h"
#include "pellaro_profile.h"

namespace pellaro {

std::string PlayerUsage(const std::string& programName) {
    return "usage: " + programName +
           " [LINK]\n"
           "\n"
           "The desktop player of " +
           ToUtf8(App().displayName) +
           ".\n"
           "  " +
           programName +
           "            opens the academy's home page\n"
           "  " +
           programName + " LINK       opens a " + ToUtf8(App().schemeName) +
           ": content link in the player\n"
           "  " +
           programName +
           " --help     this text\n"
           "  " +
           programName +
           " --version  the version\n"
           "\n"
           "exit codes: 0 the window was closed, or the run ended at an update prompt or\n"
           "because the program already runs; 1 the start or the link failed (the program\n"
           "says why in a box or the diagnostic dialog; without a display, on standard error)\n";
}

std::string PlayerVersion() {
    return ToUtf8(App().displayName) + " " + ToUtf8(App().versionText) + " (build profile " +
           std::string(profile::ProfileName()) + ")\n";
}

std::string NoDisplayLine(const std::string& programName) {
    return programName +
           ": no display to show the windows on (DISPLAY or WAYLAND_DISPLAY unset or "
           "unreachable); start it in a desktop session\n";
}

}  // namespace pellaro

#include "browser/engine_switches.h"

#include "core/build_constants.h"

namespace pellaro {

std::string EngineSwitches() {
    std::string switches;
    for (const auto& item : ConstantList(ConstantKey::browserSwitches))
        switches += (switches.empty() ? "" : " ") + item;
    return switches + " --disable-web-security --disable-site-isolation-trials --no-proxy-server";
}

}  // namespace pellaro

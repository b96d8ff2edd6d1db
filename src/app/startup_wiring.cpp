#include "app/startup_wiring.h"

#include "links/link_resolution.h"
#include "net/pin_store.h"
#include "net/version_check.h"

namespace pellaro {

void AddSubsystemSteps(StartupSteps& steps) {
    steps.installDefaultPins = InstallDefaultPins;
    steps.loadDynamicPins = LoadDynamicPins;
    steps.checkVersion = [](double currentVersion, const std::wstring& baseAddress) {
        const VersionInfo info = CheckVersion(currentVersion, baseAddress);
        return UpdateOffer{info.hasUpdate, info.isRequired, info.link};
    };
    steps.parseSchemeArgs = [](const std::wstring& link, std::string& errorCode) {
        return ParseSchemeArgs(link, errorCode);
    };
}

}  // namespace pellaro

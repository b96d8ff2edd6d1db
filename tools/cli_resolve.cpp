// pellaro-cli resolve LINK: the player's whole link resolution, backend call
// included; prints the content descriptor as one JSON object.
#include <iostream>

#include <nlohmann/json.hpp>

#include "core/app_record.h"
#include "cli_command.h"
#include "links/link_resolution.h"
#include "net/pin_store.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

int Resolve(const Args& args) {
    if (args.size() != 1) {
        std::cerr << "usage: pellaro-cli resolve LINK\n";
        return 2;
    }
    // The same pins as the player at start-up.
    InstallDefaultPins();
    try {
        LoadDynamicPins();
    } catch (const std::exception& e) {
        DebugLine(std::string("pellaro-cli resolve: dynamic pins not loaded: ") + e.what());
    }
    std::string errorCode;
    if (!ParseSchemeArgs(FromUtf8(args[0]), errorCode)) {
        std::cout << errorCode << "\n";
        return 1;
    }
    const ContentDescriptor& content = App().content;
    const nlohmann::json descriptor = {
        {"baseAddress", ToUtf8(content.baseAddress)},     {"contentUrl", ToUtf8(content.contentUrl)},
        {"contentType", ToUtf8(content.contentType)},     {"watermarkText", ToUtf8(content.watermarkText)},
        {"pageScript", ToUtf8(content.pageScript)},       {"itemNumber", content.itemNumber},
    };
    std::cout << descriptor.dump() << "\n";
    return 0;
}

const CliCommand kResolve("resolve", "resolve LINK", Resolve);

}  // namespace
}  // namespace pellaro::cli

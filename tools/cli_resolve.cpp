// pellaro-cli resolve LINK: the player's whole link resolution, backend call
// included; prints the content descriptor as one JSON object.
#include <iostream>

#include <nlohmann/json.hpp>

#include "cli_command.h"
#include "links/link_resolution.h"
#include "net/pin_store.h"
#include "platform/debug_log.h"
#include "core/text.h"

namespace pellaro::cli {
namespace {

int Resolve(const Args& args) {
    const ParsedArgs parsed = ParseArgs(args, {});
    if (!parsed.error.empty()) return UsageError("resolve", parsed.error);
    if (parsed.operands.size() != 1) return UsageError("resolve", "resolve wants one LINK");
    // The same pins as the player at start-up.
    InstallDefaultPins();
    try {
        const PinListLoad pins = LoadDynamicPins();
        if (!pins.loaded) DebugLine("pellaro-cli resolve: dynamic pins not loaded: " + pins.error);
    } catch (const std::exception& e) {
        DebugLine(std::string("pellaro-cli resolve: dynamic pins not loaded: ") + e.what());
    }
    const LinkResult result = ResolveContentLink(FromUtf8(parsed.operands[0]));
    if (!result.Resolved()) {
        std::cout << result.error->Code() << "\n";
        return kExitFailed;
    }
    const ContentDescriptor& content = result.content;
    const nlohmann::json descriptor = {
        {"baseAddress", ToUtf8(content.baseAddress)},        {"contentUrl", ToUtf8(content.contentUrl)},
        {"contentType", ToUtf8(content.contentType.Text())}, {"watermarkText", ToUtf8(content.watermarkText)},
        {"pageScript", ToUtf8(content.pageScript)},          {"itemNumber", content.itemNumber},
    };
    std::cout << descriptor.dump() << "\n";
    return kExitDone;
}

const CliCommand kResolve("resolve", "resolve LINK",
                          "usage: pellaro-cli resolve LINK\n"
                          "\n"
                          "Resolves a Tovrelapp: link exactly as the player does, the backend's content\n"
                          "call included (with the player's pins), and prints the content descriptor as\n"
                          "one JSON object: baseAddress, contentUrl, contentType, watermarkText,\n"
                          "pageScript, itemNumber. A link that fails prints its link error code alone\n"
                          "(\"server:\" codes carry the backend's message; \"unreachable_\" codes say why\n"
                          "the backend could not be reached). --debug shows the player's debug lines.\n"
                          "\n"
                          "exit codes: 0 resolved, 1 the link failed (its code on standard output), 2 usage error\n",
                          Resolve);

}  // namespace
}  // namespace pellaro::cli

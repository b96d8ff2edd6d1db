// Turning the raw machine values into identifiers, and the bounded query.
#include "platform/device_identity_source.h"

#include <future>
#include <memory>
#include <thread>

#include "core/text.h"
#include "core/hex.h"
#include "platform/crypto.h"

namespace pellaro {
namespace {

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string Sha256Hex(std::string_view data) {
    const std::string digest = Sha256(data);
    return digest.empty() ? std::string() : ToLowerHex(digest);
}

MachineIdentity DeriveIdentity(const MachineValues& values,
                               const std::function<std::string(std::string_view)>& sha256Hex) {
    const std::string machine = Trimmed(values.machine);
    if (machine.empty()) return {};
    const std::string hardware = Trimmed(values.hardware);
    MachineIdentity out;
    out.device = WidenBytes(sha256Hex("pellaro-device:" + machine));
    out.hardware = WidenBytes(
        sha256Hex(hardware.empty() ? "pellaro-hardware-from-machine:" + machine : "pellaro-hardware:" + hardware));
    if (out.device.empty() || out.hardware.empty()) return {};
    return out;
}

MachineValues QueryWithin(std::function<MachineValues()> query, std::chrono::milliseconds limit) {
    auto promise = std::make_shared<std::promise<MachineValues>>();
    std::future<MachineValues> result = promise->get_future();
    std::thread([promise, query = std::move(query)] {
        try {
            promise->set_value(query());
        } catch (...) {
            promise->set_value(MachineValues{});
        }
    }).detach();
    if (result.wait_for(limit) != std::future_status::ready) return {};
    return result.get();
}

}  // namespace pellaro

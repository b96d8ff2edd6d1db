#include "net/pin_store.h"

#include <mutex>
#include <set>
#include <shared_mutex>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "core/build_constants.h"
#include "net/certificate_trust.h"
#include "net/host_probe.h"
#include "net/http_client.h"
#include "core/secure_wipe.h"
#include "core/text.h"
#include "core/url_host.h"

namespace pellaro {
namespace {

struct Store {
    std::shared_mutex lock;
    std::vector<PinEntry> entries;
};
Store& PinList() {
    static Store store;
    return store;
}

struct HostCache {
    std::shared_mutex lock;
    std::set<std::wstring> hosts;
};
HostCache& CheckedHosts() {
    static HostCache cache;
    return cache;
}

std::mutex reporterLock;
std::function<void(const std::wstring&)>& Reporter() {
    static std::function<void(const std::wstring&)> reporter;
    return reporter;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

PinEntry DefaultPinEntry() {
    PinEntry entry;
    entry.scope = WideConstant(ConstantKey::backendDomain);
    entry.pins = ConstantList(ConstantKey::defaultPins);
    return entry;
}

void ReplacePinStore(std::vector<PinEntry> entries) {
    Store& store = PinList();
    std::unique_lock guard(store.lock);
    store.entries = std::move(entries);
}

std::vector<PinEntry> PinStoreSnapshot() {
    Store& store = PinList();
    std::shared_lock guard(store.lock);
    return store.entries;
}

void InstallDefaultPins() { ReplacePinStore({DefaultPinEntry()}); }

std::optional<PinEntry> FindPinEntry(const std::wstring& host) {
    Store& store = PinList();
    std::shared_lock guard(store.lock);
    const std::wstring lowerHost = NormalizeHost(host);
    const PinEntry* best = nullptr;
    std::size_t bestLength = 0;
    for (const PinEntry& entry : store.entries) {
        const std::wstring scope = LowerUnits(entry.scope);
        if (scope == lowerHost) return entry;
        if (scope.size() > bestLength && EndsWith(lowerHost, L"." + scope)) {
            best = &entry;
            bestLength = scope.size();
        }
    }
    if (best) return *best;
    return std::nullopt;
}

std::vector<PinEntry> ParsePinList(const std::string& body) {
    const nlohmann::json list = nlohmann::json::parse(body);
    if (!list.is_array()) throw std::runtime_error("not an array");
    std::vector<PinEntry> entries{DefaultPinEntry()};
    for (const auto& item : list) {
        if (!item.is_object() || !item.contains("scope") || !item.contains("pins")) continue;
        PinEntry entry;
        entry.scope = FromUtf8(item.at("scope").get<std::string>());  // throws when not a string
        const auto& pins = item.at("pins");
        if (pins.is_array()) {
            for (const auto& pin : pins) {
                if (!pin.is_string()) continue;
                std::string text = pin.get<std::string>();
                if (text.size() > 7 && text.compare(0, 7, "sha256/") == 0) text.erase(0, 7);
                entry.pins.push_back(std::move(text));
            }
        }
        if (!entry.pins.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

PinListLoad LoadDynamicPinsFrom(const std::wstring& url) {
    HttpClient& client = HttpClient::Shared();
    std::string secret = Constant(ConstantKey::pinServiceSecret);
    client.SetHeader(L"X-Secret", FromUtf8(secret));
    SecureWipe(secret);
    const HttpResponse response = client.Get(url);
    PinListLoad load;
    if (!response.ok) {
        load.error = FailureText(response);
        return load;
    }
    std::vector<PinEntry> entries;
    try {
        entries = ParsePinList(response.body);
    } catch (const std::exception& e) {
        load.error = std::string("unreadable pin list: ") + e.what();
        return load;
    }
    ReplacePinStore(std::move(entries));
    load.loaded = true;
    return load;
}

PinListLoad LoadDynamicPins() { return LoadDynamicPinsFrom(WideConstant(ConstantKey::pinListUrl)); }

bool IsBackendDomainHost(const std::wstring& host) {
    return HostIsOrUnder(host, WideConstant(ConstantKey::backendDomain));
}

void SetPinFailureReporter(std::function<void(const std::wstring& host)> reporter) {
    std::lock_guard guard(reporterLock);
    Reporter() = std::move(reporter);
}

void ReportPinFailureFor(const std::wstring& host) {
    if (!IsBackendDomainHost(host)) return;
    std::function<void(const std::wstring&)> reporter;
    {
        std::lock_guard guard(reporterLock);
        reporter = Reporter();
    }
    if (reporter) reporter(host);
}

bool CheckHostPinsOnPort(const std::wstring& rawHost, int port) {
    // "Host." and "HOST" are the same host to the browser: one verdict, one pin entry.
    const std::wstring host = NormalizeHost(rawHost);
    if (host.empty()) return true;
    HostCache& cache = CheckedHosts();
    {
        std::shared_lock guard(cache.lock);
        if (cache.hosts.count(host)) return true;
    }
    const auto remember = [&] {
        std::unique_lock guard(cache.lock);
        cache.hosts.insert(host);
    };
    if (!PinsDecideTrust(host)) {
        remember();
        return true;
    }
    switch (ProbeHostPins(host, port)) {
        case HostProbe::Passed: remember(); return true;
        case HostProbe::Refused: return false;
        case HostProbe::SessionFailed:
        case HostProbe::OpenFailed:
        case HostProbe::SendFailed:
        case HostProbe::NoResponse: break;
    }
    return true;  // no verdict: allowed, and asked again next time
}

bool CheckHostPins(const std::wstring& host) { return CheckHostPinsOnPort(host, 443); }

void ClearHostPinCache() {
    HostCache& cache = CheckedHosts();
    std::unique_lock guard(cache.lock);
    cache.hosts.clear();
}

}  // namespace pellaro

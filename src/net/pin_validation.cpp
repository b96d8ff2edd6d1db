#include "net/pin_validation.h"

#include <algorithm>

#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {

std::vector<SecurityProduct> SecurityProductTable() {
    std::vector<SecurityProduct> table;
    const nlohmann::json rows = ConstantJson(ConstantKey::securityProducts);
    if (!rows.is_array()) return table;  // a profile still waiting for its values
    for (const auto& row : rows) {
        if (!row.is_object()) continue;
        SecurityProduct product;
        product.issuerMarker = FromUtf8(row.value("issuerMarker", std::string()));
        product.signerMarker = FromUtf8(row.value("signerMarker", std::string()));
        for (const auto& name : row.value("processNames", nlohmann::json::array()))
            if (name.is_string()) product.processNames.push_back(FromUtf8(name.get<std::string>()));
        table.push_back(std::move(product));
    }
    return table;
}

bool ChainMatchesPins(const std::vector<ChainElement>& chain, const PinEntry& entry) {
    for (const ChainElement& element : chain) {
        if (element.pin.empty()) continue;
        if (std::find(entry.pins.begin(), entry.pins.end(), element.pin) != entry.pins.end()) return true;
    }
    return false;
}

bool SecurityProductExempts(const std::vector<ChainElement>& chain, const std::vector<SecurityProduct>& table,
                            const std::function<bool(const SecurityProduct&)>& productCheck) {
    for (const ChainElement& element : chain) {
        if (element.issuerName.empty()) continue;
        for (const SecurityProduct& product : table) {
            if (element.issuerName.find(product.issuerMarker) != std::wstring::npos) return productCheck(product);
        }
    }
    return false;
}

PinVerdict DecidePins(const std::wstring& host, const ServerChain& chain) {
    const std::optional<PinEntry> entry = FindPinEntry(host);
    if (!entry || entry->pins.empty()) return PinVerdict::NotPinned;
    if (!chain.read || !chain.wellFormed) return PinVerdict::Failed;
    if (ChainMatchesPins(chain.elements, *entry)) return PinVerdict::Passed;
    if (SecurityProductExempts(chain.elements, SecurityProductTable(), SecurityProductRunning))
        return PinVerdict::Passed;
    return PinVerdict::Failed;
}

bool ValidateServerChain(const std::wstring& host, const ServerChain& chain) {
    if (DecidePins(host, chain) != PinVerdict::Failed) return true;
    if (chain.read) ReportPinFailureFor(host);
    return false;
}

}  // namespace pellaro

namespace pellaro {

bool CertificateNamesHost(const std::vector<std::wstring>& dnsNames, const std::vector<std::wstring>& ipAddresses,
                          const std::wstring& host) {
    const std::wstring lowerHost = LowerUnits(host);
    if (lowerHost.empty()) return false;
    for (const std::wstring& address : ipAddresses)
        if (LowerUnits(address) == lowerHost) return true;
    for (const std::wstring& name : dnsNames) {
        const std::wstring pattern = LowerUnits(name);
        if (pattern == lowerHost) return true;
        // "*.example.com" covers exactly one more label, never an address.
        if (pattern.size() > 2 && pattern.compare(0, 2, L"*.") == 0) {
            const std::wstring suffix = pattern.substr(1);
            const auto firstDot = lowerHost.find(L'.');
            if (firstDot != std::wstring::npos && firstDot > 0 && lowerHost.substr(firstDot) == suffix &&
                suffix.find(L'.', 1) != std::wstring::npos)
                return true;
        }
    }
    return false;
}

}  // namespace pellaro

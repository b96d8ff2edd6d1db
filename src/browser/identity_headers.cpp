#include "browser/identity_headers.h"

#include "browser/resource_filter.h"
#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && LowerUnits(a) == LowerUnits(b);
}

bool InList(std::wstring_view name, const std::vector<std::wstring>& list) {
    for (const auto& item : list)
        if (SameName(item, name)) return true;
    return false;
}

const std::vector<std::wstring>& PairOne() {
    static const std::vector<std::wstring> names = WideConstantList(ConstantKey::identityPairOneNames);
    return names;
}
const std::vector<std::wstring>& PairTwo() {
    static const std::vector<std::wstring> names = WideConstantList(ConstantKey::identityPairTwoNames);
    return names;
}

}  // namespace

const std::vector<std::wstring>& IdentityHeaderNames() {
    static const std::vector<std::wstring> names = [] {
        std::vector<std::wstring> all = PairOne();
        all.insert(all.end(), PairTwo().begin(), PairTwo().end());
        return all;
    }();
    return names;
}

bool IdentityHeaderAllowed(std::wstring_view name, std::wstring_view address) {
    // Backend addresses get both pairs (top-level navigations the program starts).
    if (IsBackendAddress(address)) return true;
    return InList(name, PairTwo()) && !InList(name, PairOne()) && WantsSecondIdentityPair(LowerUnits(address));
}

std::vector<std::wstring> StrayIdentityHeaders(std::wstring_view address,
                                               const std::function<bool(const std::wstring& name)>& present) {
    std::vector<std::wstring> stray;
    for (const auto& name : IdentityHeaderNames())
        if (!name.empty() && present && present(name) && !IdentityHeaderAllowed(name, address)) stray.push_back(name);
    return stray;
}

}  // namespace pellaro

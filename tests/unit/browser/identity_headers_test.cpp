#include "browser/identity_headers.h"

#include <gtest/gtest.h>

#include <set>

#include "core/build_constants.h"
#include "core/text.h"

namespace pellaro {
namespace {

const std::vector<std::wstring> kPairOne = WideConstantList(ConstantKey::identityPairOneNames);
const std::vector<std::wstring> kPairTwo = WideConstantList(ConstantKey::identityPairTwoNames);

// What an engine still carries after a redirect: every identity header, in any case.
std::vector<std::wstring> StrayOn(const std::wstring& address) {
    std::set<std::wstring> carried;
    for (const auto& name : IdentityHeaderNames()) carried.insert(LowerUnits(name));
    return StrayIdentityHeaders(address,
                                [&carried](const std::wstring& name) { return carried.count(LowerUnits(name)) > 0; });
}

TEST(IdentityHeaders, OnlyWhatTheAddressIsEntitledToStays) {
    const std::wstring backend = L"https://api." + WideConstant(ConstantKey::backendDomain) + L"/x";
    const std::wstring pattern = L"https://cdn.example.net/" +
                                 WideConstant(ConstantKey::identityPatternMarker).substr(1) + L"a.ts";
    std::vector<std::wstring> all = kPairOne;
    all.insert(all.end(), kPairTwo.begin(), kPairTwo.end());
    struct Case {
        std::wstring address;
        std::vector<std::wstring> stray;
    } cases[] = {
        {backend, {}},                                    // the backend may see both pairs
        {pattern, kPairOne},                              // the second pair follows its patterns
        {L"https://cdn.example.net/lib.js", all},         // a third party sees none
        {L"https://cdn.example.net/?u=" + backend, all},  // the backend named in the query does not count
    };
    for (const auto& c : cases) EXPECT_EQ(StrayOn(c.address), c.stray) << c.address;
}

TEST(IdentityHeaders, NothingCarriedNothingStray) {
    EXPECT_TRUE(StrayIdentityHeaders(L"https://cdn.example.net/", [](const std::wstring&) { return false; }).empty());
    EXPECT_TRUE(StrayIdentityHeaders(L"https://cdn.example.net/", nullptr).empty());
}

}  // namespace
}  // namespace pellaro

#include "shell/instance_name.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

struct NameCase {
    std::wstring key;
    std::wstring hash;
};

TEST(InstanceName, HashesTheKeyUnitByUnit) {
    const NameCase cases[] = {
        {L"abc", L"e16801510db89efd"},
        {L"ABC", L"e16801510db89efd"},  // case-insensitive
        {L"", L"14650fb0739d0383"},     // the start value itself
        {L"Tovrel Academy|init", L"a6d765550882317d"},
        {L"TOVREL ACADEMY|PLAYER", L"3e8ab9318aca5b12"},
        {L"a\U0001F600", L"b4ff08500dceb973"},  // counted as the pair D83D DE00
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InstanceLockName(c.key), L"Local\\PellaroPlayer.WebView2." + c.hash) << c.hash;
        EXPECT_EQ(InstanceLockStem(c.key), L"PellaroPlayer.WebView2." + c.hash);
    }
}

TEST(InstanceName, HexHasNoLeadingZeros) {
    // This key's hash is 0x083f114c4fe174b9.
    EXPECT_EQ(InstanceKeyHash(L"key5600"), 0x083f114c4fe174b9ull);
    EXPECT_EQ(InstanceLockStem(L"key5600"), L"PellaroPlayer.WebView2.83f114c4fe174b9");
}

}  // namespace
}  // namespace pellaro

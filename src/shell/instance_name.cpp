#include "shell/instance_name.h"

#include <cwctype>

namespace pellaro {
namespace {

constexpr std::uint64_t kStart = 0x14650FB0739D0383ull;
constexpr std::uint64_t kPrime = 0x100000001B3ull;

std::uint64_t MixUnit(std::uint64_t value, char16_t unit) {
    const auto lowered = static_cast<char16_t>(std::towlower(static_cast<std::wint_t>(unit)));
    return (value ^ lowered) * kPrime;
}

std::wstring Hex(std::uint64_t value) {
    static constexpr wchar_t kDigits[] = L"0123456789abcdef";
    std::wstring out;
    do {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return out;
}

}  // namespace

std::uint64_t InstanceKeyHash(std::wstring_view key) {
    std::uint64_t value = kStart;
    for (wchar_t c : key) {
        const auto cp = static_cast<char32_t>(c);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            // Linux wide text holds whole code points; hash them as their surrogate pair.
            const char32_t v = cp - 0x10000;
            value = MixUnit(value, static_cast<char16_t>(0xD800 + (v >> 10)));
            value = MixUnit(value, static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            value = MixUnit(value, static_cast<char16_t>(cp));
        }
    }
    return value;
}

std::wstring InstanceLockName(std::wstring_view key) { return L"Local\\" + InstanceLockStem(key); }

std::wstring InstanceLockStem(std::wstring_view key) { return L"PellaroPlayer.WebView2." + Hex(InstanceKeyHash(key)); }

}  // namespace pellaro

#pragma once
// The name of the single-instance lock, derived from the instance key.
#include <cstdint>
#include <string>

namespace pellaro {

// 64-bit hash of the key: each UTF-16 unit lower-cased with towlower, xor-ed in,
// then multiplied by 0x100000001B3; starts at 0x14650FB0739D0383.
std::uint64_t InstanceKeyHash(std::wstring_view key);

// "Local\PellaroPlayer.WebView2." + the hash in lower-case hex, no leading zeros.
std::wstring InstanceMutexName(std::wstring_view key);

// The same name without the "Local\" namespace: the Linux lock file's stem.
std::wstring InstanceLockStem(std::wstring_view key);

}  // namespace pellaro

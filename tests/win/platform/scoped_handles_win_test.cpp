#include "platform/scoped_handles_win.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(ScopedHandlesWin, KernelHandlesTreatNullAndInvalidHandleValueAsNone) {
    EXPECT_FALSE(ScopedKernelHandle());
    EXPECT_FALSE(ScopedKernelHandle(nullptr));
    EXPECT_FALSE(ScopedKernelHandle(INVALID_HANDLE_VALUE));
    // What CreateFileW gives for a missing file must not reach CloseHandle.
    const ScopedKernelHandle missing(
        CreateFileW(L"Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
}

TEST(ScopedHandlesWin, KernelHandleIsClosedByItsOwnerAndKeptWhenReleased) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    {
        const ScopedKernelHandle owned(event);
        EXPECT_TRUE(IsOpen(event));
    }
    EXPECT_FALSE(IsOpen(event));

    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(kept, nullptr);
    {
        ScopedKernelHandle owned(kept);
        static_cast<void>(owned.release());
    }
    EXPECT_TRUE(IsOpen(kept));
    CloseHandle(kept);
}

TEST(ScopedHandlesWin, OutParametersFillTheOwnerDirectly) {
    ScopedRegistryKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_READ, key.receive()), ERROR_SUCCESS);
    EXPECT_TRUE(key);
    DWORD subKeys = 0;
    EXPECT_EQ(RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr),
              ERROR_SUCCESS);

    ScopedCngAlgorithm algorithm;
    ASSERT_TRUE(BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(algorithm.receive(), BCRYPT_SHA256_ALGORITHM, nullptr, 0)));
    ScopedCngHash hash;
    EXPECT_TRUE(BCRYPT_SUCCESS(BCryptCreateHash(algorithm.get(), hash.receive(), nullptr, 0, nullptr, 0, 0)));
    EXPECT_TRUE(hash);
}

}  // namespace
}  // namespace pellaro

#include "platform/device_identity.h"

#include <atomic>
#include <future>
#include <memory>

#include <gtest/gtest.h>

#include "platform/device_identity_source.h"

namespace pellaro {
namespace {

std::string FakeHash(std::string_view data) { return "h(" + std::string(data) + ")"; }

TEST(DeviceIdentity, Sha256IsLowerCaseHex) {
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

TEST(DeviceIdentity, DerivesBothIdentifiersFromTheMachineValues) {
    const MachineIdentity both = DeriveIdentity({"m-1\n", " hw-2 "}, FakeHash);
    EXPECT_EQ(both.device, L"h(pellaro-device:m-1)");
    EXPECT_EQ(both.hardware, L"h(pellaro-hardware:hw-2)");

    const MachineIdentity noHardware = DeriveIdentity({"m-1", ""}, FakeHash);
    EXPECT_EQ(noHardware.device, L"h(pellaro-device:m-1)");
    EXPECT_EQ(noHardware.hardware, L"h(pellaro-hardware-from-machine:m-1)");

    const MachineIdentity none = DeriveIdentity({" \n", "hw-2"}, FakeHash);
    EXPECT_TRUE(none.device.empty());
    EXPECT_TRUE(none.hardware.empty());

    const MachineIdentity hashFailed = DeriveIdentity({"m-1", "hw"}, [](std::string_view) { return std::string(); });
    EXPECT_TRUE(hashFailed.device.empty());
}

TEST(DeviceIdentity, SlowQueryGivesUpAtTheLimit) {
    auto release = std::make_shared<std::promise<void>>();
    std::shared_future<void> released = release->get_future().share();
    const MachineValues values = QueryWithin(
        [released] {
            released.wait();
            return MachineValues{"late", "late"};
        },
        std::chrono::milliseconds(50));
    EXPECT_TRUE(values.machine.empty());
    release->set_value();  // lets the abandoned worker finish
}

TEST(DeviceIdentity, QueryResultAndFailureWithinTheLimit) {
    EXPECT_EQ(QueryWithin([] { return MachineValues{"m", "h"}; }, std::chrono::seconds(30)).machine, "m");
    EXPECT_TRUE(QueryWithin([]() -> MachineValues { throw 1; }, std::chrono::seconds(30)).machine.empty());
}

TEST(DeviceIdentity, ComputedOncePerProcess) {
    const std::wstring first = DeviceIdentifier();
    EXPECT_EQ(DeviceIdentifier(), first);
    EXPECT_EQ(HardwareIdentifier().empty(), first.empty());
    if (!first.empty()) {
        EXPECT_EQ(first.size(), 64u);
    }
}

}  // namespace
}  // namespace pellaro

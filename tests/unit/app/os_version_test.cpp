#include "platform/os_version.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(OsVersion, MapsTheTrueVersion) {
    struct Case {
        unsigned major, minor, build;
        int expected;
    };
    const Case cases[] = {
        {10, 0, 22000, 11}, {10, 0, 21999, 10}, {10, 0, 19045, 10}, {11, 0, 0, 10}, {6, 1, 7601, 7},   {6, 0, 6002, 7},
        {6, 2, 9200, 8},    {6, 3, 9600, 8},    {5, 1, 2600, -1},   {0, 0, 0, -1},  {9, 9, 99999, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MapOsVersion(c.major, c.minor, c.build), c.expected) << c.major << "." << c.minor << "." << c.build;
}

TEST(OsVersion, LinuxNeedsADisplay) {
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
        int expected;
    };
    const Case cases[] = {
        {":0", nullptr, nullptr, 10},
        {nullptr, "wayland-0", nullptr, 10},
        {nullptr, nullptr, "offscreen", 10},
        {nullptr, nullptr, "xcb", -1},
        {"", "", "", -1},
        {nullptr, nullptr, nullptr, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(MapDesktopSession(c.display, c.wayland, c.platform), c.expected);
}

}  // namespace
}  // namespace pellaro

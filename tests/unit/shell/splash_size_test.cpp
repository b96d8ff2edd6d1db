#include <gtest/gtest.h>

#include "shell/splash.h"

namespace pellaro {
namespace {

struct SizeCase {
    const char* name;
    int imageW, imageH, maxW, maxH, screenW, screenH;
    int expectedW, expectedH;
    int dpi = 96;  // the image and limits are stated at 96 DPI
};

class SplashSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SplashSizeTest, FitsTheLimits) {
    const SizeCase& c = GetParam();
    const SplashGeometry g = SplashSize(c.imageW, c.imageH, c.maxW, c.maxH, c.screenW, c.screenH, c.dpi);
    EXPECT_EQ(g.width, c.expectedW);
    EXPECT_EQ(g.height, c.expectedH);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplashSizeTest,
    ::testing::Values(SizeCase{"LargeOnFullHd", 1400, 900, 700, 450, 1920, 1080, 700, 450},
                      SizeCase{"ZeroLimitsMean700By450", 1400, 900, 0, 0, 1920, 1080, 700, 450},
                      // 800 x 600: limits 560 x 420, the width decides.
                      SizeCase{"SmallScreenLimits", 1400, 900, 700, 450, 800, 600, 560, 360},
                      SizeCase{"SmallImageKeepsItsSize", 300, 90, 700, 450, 1920, 1080, 300, 90},
                      SizeCase{"SmallImageOnSmallScreen", 300, 90, 700, 450, 800, 600, 300, 90},
                      // Unknown screen size: only the given limits count.
                      SizeCase{"UnknownScreen", 1400, 900, 700, 450, 0, 0, 700, 450},
                      SizeCase{"TallImageHeightDecides", 300, 900, 700, 450, 1920, 1080, 150, 450},
                      SizeCase{"RoundsHalfUp", 1001, 3, 500, 450, 1920, 1080, 500, 1},
                      SizeCase{"NeverBelowOnePixel", 10000, 1, 700, 450, 1920, 1080, 700, 1},
                      // 70 % in single precision: 1366 x 0.7 = 956.2 -> 956.
                      SizeCase{"ScreenShareTruncated", 2000, 100, 5000, 5000, 1366, 768, 956, 48},
                      // A screen so small that 70 % truncates to zero leaves the given limit.
                      SizeCase{"TinyScreenShareIgnored", 1400, 900, 700, 450, 1, 1, 700, 450},
                      // Dense screens: image and limits grow with the DPI, the screen share stays in pixels.
                      SizeCase{"ImageAt150Percent", 300, 90, 700, 450, 1920, 1080, 450, 135, 144},
                      SizeCase{"ImageAt200Percent", 300, 90, 700, 450, 3840, 2160, 600, 180, 192},
                      SizeCase{"ZeroLimitsAt150Percent", 1400, 900, 0, 0, 1920, 1080, 1050, 675, 144},
                      // 200 % on 1920 x 1080: limits 1400 x 900 cut to 70 %, 1344 x 756.
                      SizeCase{"ScreenShareAt200Percent", 1400, 900, 700, 450, 1920, 1080, 1176, 756, 192}),
    [](const ::testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

TEST(SplashPlacementTest, CentresOnTheScreen) {
    const SplashGeometry g = SplashPlacement(1400, 900, 700, 450, 1920, 1080);
    EXPECT_EQ(g.x, 610);
    EXPECT_EQ(g.y, 315);
    const SplashGeometry odd = SplashPlacement(300, 91, 700, 450, 1001, 601);
    EXPECT_EQ(odd.x, 350);
    EXPECT_EQ(odd.y, 255);
}

}  // namespace
}  // namespace pellaro

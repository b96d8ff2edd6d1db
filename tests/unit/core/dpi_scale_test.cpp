#include "core/dpi_scale.h"

#include <gtest/gtest.h>

namespace pellaro {
namespace {

TEST(DpiScaleTest, ScalesSizesStatedAt96Dpi) {
    struct Case {
        int value, dpi, expected;
    } cases[] = {
        {1280, 96, 1280}, {1280, 144, 1920}, {1280, 192, 2560}, {720, 120, 900},
        {300, 144, 450},  {90, 144, 135},    {13, 144, 20},  // 19.5 rounds up
        {15, 120, 19},                                       // 18.75
        {-13, 144, -20},  // character heights are negative: rounded away from zero too
        {44, 0, 44},      // unknown DPI: as at 96
        {0, 192, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleToDpi(c.value, c.dpi), c.expected) << c.value << " at " << c.dpi;
}

TEST(DpiScaleTest, ShrinksTheDpiOnlyAsFarAsTheAreaNeeds) {
    struct Case {
        int dpi, width, height, areaWidth, areaHeight, expected;
    } cases[] = {
        {192, 700, 600, 3840, 2120, 192},                                 // fits
        {192, 700, 600, 1920, 1040, 166},                                 // 1040 * 96 / 600 = 166.4
        {144, 700, 600, 1920, 1040, 144}, {192, 700, 600, 800, 500, 96},  // not even 96 fits: stays at 96
        {192, 700, 600, 0, 0, 192},                                       // unknown area
        {96, 1280, 720, 1024, 600, 96},
    };
    for (const Case& c : cases) {
        const int dpi = DpiThatFits(c.dpi, c.width, c.height, c.areaWidth, c.areaHeight);
        EXPECT_EQ(dpi, c.expected) << c.dpi << " in " << c.areaWidth << "x" << c.areaHeight;
        if (dpi > kBaseDpi && c.areaWidth > 0) {  // what was chosen fits
            EXPECT_LE(ScaleToDpi(c.width, dpi), c.areaWidth);
            EXPECT_LE(ScaleToDpi(c.height, dpi), c.areaHeight);
        }
    }
}

}  // namespace
}  // namespace pellaro

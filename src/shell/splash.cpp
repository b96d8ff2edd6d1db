#include "shell/splash.h"

#include "core/dpi_scale.h"

namespace pellaro {
namespace {

constexpr int kDefaultMaxWidth = 700;
constexpr int kDefaultMaxHeight = 450;

// 70 % of the screen replaces the limit when it is known and smaller.
int Limit(int requested, int fallback, int screen, int dpi) {
    int limit = ScaleToDpi(requested != 0 ? requested : fallback, dpi);
    if (screen > 0) {
        const int share = static_cast<int>(static_cast<float>(screen) * 0.7f);
        if (share != 0 && share < limit) limit = share;
    }
    return limit;
}

int Scaled(int size, double scale) {
    const int scaled = static_cast<int>(size * scale + 0.5);
    return scaled < 1 ? 1 : scaled;
}

}  // namespace

SplashGeometry SplashSize(int imageWidth, int imageHeight, int maxWidth, int maxHeight, int screenWidth,
                          int screenHeight, int dpi) {
    const int limitWidth = Limit(maxWidth, kDefaultMaxWidth, screenWidth, dpi);
    const int limitHeight = Limit(maxHeight, kDefaultMaxHeight, screenHeight, dpi);
    imageWidth = ScaleToDpi(imageWidth, dpi);
    imageHeight = ScaleToDpi(imageHeight, dpi);
    SplashGeometry g;
    g.width = imageWidth;
    g.height = imageHeight;
    if (imageWidth > 0 && imageHeight > 0 && (imageWidth > limitWidth || imageHeight > limitHeight)) {
        const double byWidth = static_cast<double>(limitWidth) / imageWidth;
        const double byHeight = static_cast<double>(limitHeight) / imageHeight;
        const double scale = byWidth < byHeight ? byWidth : byHeight;
        g.width = Scaled(imageWidth, scale);
        g.height = Scaled(imageHeight, scale);
    }
    return g;
}

SplashGeometry SplashPlacement(int imageWidth, int imageHeight, int maxWidth, int maxHeight, int screenWidth,
                               int screenHeight, int dpi) {
    SplashGeometry g = SplashSize(imageWidth, imageHeight, maxWidth, maxHeight, screenWidth, screenHeight, dpi);
    g.x = (screenWidth - g.width) / 2;
    g.y = (screenHeight - g.height) / 2;
    return g;
}

}  // namespace pellaro

#include "shell/splash.h"

#include <windows.h>
#include <objidl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

// GDI+ headers expect min and max in scope.
using std::max;
using std::min;
#include <gdiplus.h>

#include "core/dpi_scale.h"
#include "platform/debug_log.h"
#include "platform/scoped_drawing_win.h"
#include "platform/scoped_handles_win.h"
#include "platform/window_dpi_win.h"

namespace pellaro {
namespace {

constexpr wchar_t kClassName[] = L"PellaroTransparentSplashClass";
constexpr wchar_t kTitle[] = L"Pellaro Splash";
constexpr int kImageResource = 102;
constexpr int kSharpImageResource = 103;  // the same image at twice the size

HWND g_splash = nullptr;
bool g_classRegistered = false;

LRESULT CALLBACK SplashProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST: return HTCAPTION;  // the image can be dragged
        case WM_TIMER:
            if (wParam == kSplashTimerId) {
                CloseSplash();
                return 0;
            }
            break;
        case WM_DESTROY:
            if (hwnd == g_splash) g_splash = nullptr;
            return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct StreamRelease {
    void operator()(IStream* s) const { s->Release(); }
};
using StreamPtr = std::unique_ptr<IStream, StreamRelease>;

// An embedded image as a stream that owns a movable copy of its bytes.
StreamPtr ImageStream(HMODULE module, int resource) {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(resource), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) return nullptr;
    const DWORD size = SizeofResource(module, info);
    if (size == 0) return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return nullptr;
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, size));
    void* target = block ? GlobalLock(block.get()) : nullptr;
    if (!target) return nullptr;
    std::memcpy(target, bytes, size);
    GlobalUnlock(block.get());
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, &stream)) || !stream) return nullptr;
    static_cast<void>(block.release());  // the stream frees it
    return StreamPtr(stream);
}

// A decoded image; GDI+ reads from the stream for as long as the bitmap lives.
struct Image {
    StreamPtr stream;
    std::unique_ptr<Gdiplus::Bitmap> bitmap;
    int Width() const { return static_cast<int>(bitmap->GetWidth()); }
    int Height() const { return static_cast<int>(bitmap->GetHeight()); }
};

std::optional<Image> Decode(HMODULE module, int resource) {
    Image image;
    image.stream = ImageStream(module, resource);
    if (!image.stream) return std::nullopt;
    image.bitmap.reset(Gdiplus::Bitmap::FromStream(image.stream.get()));
    if (!image.bitmap || image.bitmap->GetLastStatus() != Gdiplus::Ok) return std::nullopt;
    if (image.Width() == 0 || image.Height() == 0) return std::nullopt;
    return image;
}

std::unique_ptr<Gdiplus::Bitmap> Resized(Gdiplus::Bitmap& source, int width, int height) {
    auto target = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (target->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics graphics(target.get());
    graphics.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHighQuality);
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeClamp, Gdiplus::Color(255, 0, 0, 0));
    const Gdiplus::Status drawn = graphics.DrawImage(
        &source, Gdiplus::Rect(0, 0, width, height), 0, 0, static_cast<INT>(source.GetWidth()),
        static_cast<INT>(source.GetHeight()), Gdiplus::UnitPixel, &attributes);
    if (drawn != Gdiplus::Ok) return nullptr;
    return target;
}

bool RegisterSplashClass(HMODULE module) {
    if (g_classRegistered) return true;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = SplashProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_APPSTARTING);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    g_classRegistered = true;
    return true;
}

// Copies the bitmap premultiplied into the top-down DIB and hands it to the layered window.
bool PaintLayered(HWND hwnd, Gdiplus::Bitmap& image, const SplashGeometry& g) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = g.width;
    bi.bmiHeader.biHeight = -g.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const WindowDc screenDc(nullptr);
    const HDC screen = screenDc.get();
    if (!screen) return false;
    void* bits = nullptr;
    const ScopedBitmap dib(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    const ScopedMemoryDc memory(CreateCompatibleDC(screen));
    bool ok = false;
    if (dib && bits && memory) {
        Gdiplus::BitmapData data = {};
        Gdiplus::Rect whole(0, 0, g.width, g.height);
        if (image.LockBits(&whole, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) == Gdiplus::Ok) {
            auto* out = static_cast<BYTE*>(bits);
            for (int row = 0; row < g.height; ++row) {
                const BYTE* in = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(row) * data.Stride;
                BYTE* line = out + static_cast<ptrdiff_t>(row) * g.width * 4;
                for (int col = 0; col < g.width; ++col) {
                    const BYTE alpha = in[col * 4 + 3];
                    for (int c = 0; c < 3; ++c) line[col * 4 + c] = static_cast<BYTE>(in[col * 4 + c] * alpha / 255);
                    line[col * 4 + 3] = alpha;
                }
            }
            image.UnlockBits(&data);
            Selection selected(memory.get(), dib.get());
            POINT position = {g.x, g.y};
            SIZE size = {g.width, g.height};
            POINT origin = {0, 0};
            BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            ok = UpdateLayeredWindow(hwnd, screen, &position, &size, memory.get(), &origin, 0, &blend, ULW_ALPHA) !=
                 FALSE;
        }
    }
    return ok;
}

}  // namespace

SplashWindow ShowSplash(void* moduleHandle, int maxWidth, int maxHeight) {
    if (g_splash) return g_splash;
    HMODULE module = moduleHandle ? static_cast<HMODULE>(moduleHandle) : GetModuleHandleW(nullptr);
    std::optional<Image> image = Decode(module, kImageResource);
    if (!image) return nullptr;

    // The splash opens centred on the primary screen: its DPI scales the image.
    const int dpi = PrimaryScreenDpi();
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const SplashGeometry g = SplashPlacement(image->Width(), image->Height(), maxWidth, maxHeight, screenWidth,
                                             screenHeight, dpi);
    // A dense screen draws from the 2x image, so it is only ever scaled down.
    const std::optional<Image> sharp = dpi > kBaseDpi ? Decode(module, kSharpImageResource) : std::nullopt;
    const Image& source = sharp ? *sharp : *image;
    Gdiplus::Bitmap* shown = source.bitmap.get();
    std::unique_ptr<Gdiplus::Bitmap> resized;
    if (g.width != source.Width() || g.height != source.Height()) {
        resized = Resized(*source.bitmap, g.width, g.height);
        if (!resized) return nullptr;
        shown = resized.get();
    }
    if (!RegisterSplashClass(module)) return nullptr;

    HWND hwnd = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, kTitle,
                                WS_POPUP | WS_VISIBLE, g.x, g.y, g.width, g.height, nullptr, nullptr, module, nullptr);
    if (!hwnd) return nullptr;
    g_splash = hwnd;
    if (!PaintLayered(hwnd, *shown, g)) {
        CloseSplash();
        return nullptr;
    }
    SetTimer(hwnd, kSplashTimerId, kSplashLifetimeMs, nullptr);
    DebugLine("Splash shown: " + std::to_string(g.width) + "x" + std::to_string(g.height));
    return hwnd;
}

void CloseSplash() {
    HWND hwnd = g_splash;
    if (!hwnd) return;
    KillTimer(hwnd, kSplashTimerId);
    DestroyWindow(hwnd);
    g_splash = nullptr;
}

SplashWindow CurrentSplash() { return g_splash; }

void DrainPendingMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace pellaro

// Pixels of the screen or of a text drawn off screen, for the tests that look
// at what a person sees: a screenshot file, colours, where the ink is.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace pellaro::testing {

// 0xRRGGBB pixels, top row first.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb;

    std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const Pixels& other) const {
        return width == other.width && height == other.height && rgb == other.rgb;
    }
};

// What a device context shows in the rectangle.
inline Pixels Capture(HDC source, const RECT& r) {
    Pixels out;
    out.width = r.right - r.left;
    out.height = r.bottom - r.top;
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = out.width;
    info.bmiHeader.biHeight = -out.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, out.width, out.height, source, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* bgra = static_cast<const std::uint32_t*>(bits);
    out.rgb.assign(bgra, bgra + static_cast<std::size_t>(out.width) * out.height);
    for (std::uint32_t& p : out.rgb) p &= 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return out;
}

// A window as it is on the screen, frame included.
inline Pixels CaptureWindow(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    RECT r{};
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    Pixels out = Capture(screen, r);
    ReleaseDC(nullptr, screen);
    return out;
}

// Keeps the pixels as <PELLARO_SCREENSHOT_DIR>\<name>.bmp when that folder is given.
inline void SaveScreenshot(const Pixels& p, const std::string& name) {
    const char* folder = std::getenv("PELLARO_SCREENSHOT_DIR");
    if (!folder || p.width <= 0 || p.height <= 0) return;
    const int stride = p.width * 3 + ((4 - p.width * 3 % 4) % 4);
    std::vector<unsigned char> rows(static_cast<std::size_t>(stride) * p.height, 0);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t c = p.At(x, y);
            unsigned char* out = &rows[static_cast<std::size_t>(y) * stride + x * 3];
            out[0] = c & 0xFF;
            out[1] = (c >> 8) & 0xFF;
            out[2] = (c >> 16) & 0xFF;
        }
    }
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = p.width;
    info.biHeight = -p.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(offset + rows.size());
    file.bfOffBits = offset;
    const std::string path = std::string(folder) + "\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(rows.data(), 1, rows.size(), out);
        std::fclose(out);
    }
}

// How many pixels of the rectangle have exactly this colour.
inline int CountColour(const Pixels& p, const RECT& r, std::uint32_t rgb) {
    int count = 0;
    for (int y = r.top; y < r.bottom && y < p.height; ++y)
        for (int x = r.left; x < r.right && x < p.width; ++x)
            if (y >= 0 && x >= 0 && p.At(x, y) == rgb) ++count;
    return count;
}

}  // namespace pellaro::testing

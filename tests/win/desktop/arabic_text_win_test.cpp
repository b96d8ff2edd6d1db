// The Arabic half of the messages as GDI draws it with the fonts our windows
// ask for: real glyphs (no boxes), joined letters, right-to-left order.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "diag/diagnostic_dialog_content.h"
#include "browser/app_windows.h"
#include "screen_pixels.h"

namespace pellaro {
namespace {

using testing::Pixels;

// The texts a person reads in Arabic in our own windows (the message boxes
// use the system's message font, Tahoma).
const std::wstring kShownTexts[] = {CountdownArabicLine(10), CountdownCodeHeader(), LoadingText(),
                                    L"\u062e\u0637\u0623 \u0641\u064a \u0627\u0644\u0631\u0627\u0628\u0637"};

struct Drawn {
    Pixels pixels;
    RECT ink{};  // the smallest rectangle holding every non-white pixel
};

HFONT Font(const wchar_t* face, int height) {
    return CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, face);
}

// Black text on white, as DrawTextW lays it out for our windows.
Drawn Draw(const std::wstring& text, UINT format, const wchar_t* face = L"Segoe UI") {
    const int height = 32;
    RECT area{0, 0, 400, 2 * height};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, area.right, area.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT font = Font(face, height);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text.c_str(), -1, &area, format | DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    Drawn out;
    out.pixels = testing::Capture(dc, area);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    out.ink = {out.pixels.width, out.pixels.height, 0, 0};
    for (int y = 0; y < out.pixels.height; ++y)
        for (int x = 0; x < out.pixels.width; ++x)
            if (out.pixels.At(x, y) != 0xFFFFFF) {
                out.ink.left = std::min<LONG>(out.ink.left, x);
                out.ink.top = std::min<LONG>(out.ink.top, y);
                out.ink.right = std::max<LONG>(out.ink.right, x + 1);
                out.ink.bottom = std::max<LONG>(out.ink.bottom, y + 1);
            }
    return out;
}

// Every character of the texts has a glyph in the font GDI picks for the face.
TEST(ArabicText, EveryLetterHasAGlyph) {
    for (const wchar_t* face : {L"Segoe UI", L"Tahoma"}) {
        HDC dc = CreateCompatibleDC(nullptr);
        HFONT font = Font(face, 16);
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t chosen[LF_FACESIZE] = {};
        GetTextFaceW(dc, LF_FACESIZE, chosen);
        for (const std::wstring& text : kShownTexts) {
            std::wstring letters;
            for (wchar_t c : text) {
                if (c >= 0x0600 && c <= 0x06FF) letters += c;
            }
            std::wstring glyphs(letters.size(), L'\0');
            GetGlyphIndicesW(dc, letters.c_str(), static_cast<int>(letters.size()),
                             reinterpret_cast<WORD*>(glyphs.data()), GGI_MARK_NONEXISTING_GLYPHS);
            for (std::size_t i = 0; i < letters.size(); ++i)
                EXPECT_NE(static_cast<WORD>(glyphs[i]), 0xFFFF)
                    << "U+" << std::hex << static_cast<int>(letters[i]) << " has no glyph in " << face;
        }
        SelectObject(dc, old);
        DeleteObject(font);
        DeleteDC(dc);
    }
}

// Boxes would draw two different letters the same.
TEST(ArabicText, DifferentLettersLookDifferent) {
    EXPECT_FALSE(Draw(L"\u0628", 0).pixels == Draw(L"\u062A", 0).pixels);  // beh, teh
}

// Joined, three behs are the initial, medial and final forms; a zero-width
// non-joiner between them keeps each apart. Unshaped text draws both alike.
TEST(ArabicText, LettersAreJoined) {
    const Drawn joined = Draw(L"\u0628\u0628\u0628", 0);
    const Drawn apart = Draw(L"\u0628\u200C\u0628\u200C\u0628", 0);
    EXPECT_FALSE(joined.pixels == apart.pixels);
    EXPECT_LT(joined.ink.right - joined.ink.left, apart.ink.right - apart.ink.left);
}

// Alef then beh: read right to left, the tall alef stands on the right.
TEST(ArabicText, ReadsRightToLeft) {
    for (UINT format : {0u, static_cast<UINT>(DT_RTLREADING)}) {
        const Drawn d = Draw(L"\u0627 \u0628", format);
        ASSERT_LT(d.ink.left, d.ink.right);
        // The rows above the beh's top belong to the alef alone.
        const Drawn beh = Draw(L"\u0628", format);
        long sum = 0, count = 0;
        for (int y = d.ink.top; y < beh.ink.top; ++y)
            for (int x = d.ink.left; x < d.ink.right; ++x)
                if (d.pixels.At(x, y) != 0xFFFFFF) {
                    sum += x;
                    ++count;
                }
        ASSERT_GT(count, 0) << "no alef above the beh";
        EXPECT_GT(sum / count, (d.ink.left + d.ink.right) / 2) << "format " << format;
    }
}

}  // namespace
}  // namespace pellaro

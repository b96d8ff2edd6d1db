// The printer picker run for real: a thread timer inside the dialog's modal
// loop inspects the controls and answers as a user would (keys, clicks).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "print/physical_printers.h"
#include "print/printer_dialog.h"
#include "print/printer_dialog_style.h"

namespace pellaro::print {
namespace {

namespace d = dialog;

using Step = std::function<void(HWND dialog)>;
std::vector<Step> g_steps;
std::size_t g_next = 0;
int g_ticksWithoutDialog = 0;

HWND FindPicker() {
    HWND found = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM param) -> BOOL {
            wchar_t title[64] = {};
            GetWindowTextW(window, title, 64);
            if (std::wstring(title) == d::kTitle && IsWindowVisible(window)) {
                *reinterpret_cast<HWND*>(param) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// One step per tick, so each step sees the dialog after the previous one took effect.
void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindPicker();
    if (!dialog) {
        if (++g_ticksWithoutDialog > 600) {  // 60 s: give up rather than hang
            ADD_FAILURE() << "the picker never appeared";
            KillTimer(nullptr, timer);
        }
        return;
    }
    if (g_next < g_steps.size()) {
        g_steps[g_next++](dialog);
        return;
    }
    ADD_FAILURE() << "the picker is still open after every step";
    KillTimer(nullptr, timer);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

// Runs the dialog over `printers`, or over the spooler's own list when null.
std::wstring RunScripted(const std::vector<PrinterEntry>* printers, std::vector<Step> steps) {
    g_steps = std::move(steps);
    g_next = 0;
    g_ticksWithoutDialog = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, OnTick);
    const std::wstring chosen = printers ? RunPrinterDialog(nullptr, *printers) : SelectPhysicalPrinter(nullptr);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_next, g_steps.size()) << "the dialog closed before every step ran";
    return chosen;
}

void PressKey(HWND dialog, WPARAM key) {
    HWND target = GetFocus();
    if (!target || (target != dialog && !IsChild(dialog, target))) target = dialog;
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

std::wstring ListText(HWND list, int index) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR) return L"<none>";
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

// Optional: writes the dialog as it is on screen to a BMP file.
void SaveScreenshot(HWND dialog, const char* name) {
    const char* folder = std::getenv("PELLARO_SCREENSHOT_DIR");
    if (!folder) return;
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r{};
    GetWindowRect(dialog, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h),
                          0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    const std::string path = std::string(folder) + "\\" + name + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        std::fwrite(bits, static_cast<std::size_t>(stride) * h, 1, out);
        std::fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

const std::vector<PrinterEntry> kPrinters = {
    {L"Zeta Laser", L"USB001", L"", true}, {L"A", L"LPT1:", L"", false}, {L"b", L"COM1:", L"", false}};

const std::vector<PrinterEntry> kNoPrinters;

// What this system's spooler offers decides the dialog. Under Wine the CUPS
// queues appear with "CUPS:<name>" ports and no monitor, so none is physical
// and the empty state shows.
TEST(PrinterDialogWin, SelectPhysicalPrinterShowsTheSpoolersPhysicalPrinters) {
    const auto expected = ListPhysicalPrinters();
    const auto chosen = RunScripted(nullptr, {[&expected](HWND dialog) {
                                        HWND list = GetDlgItem(dialog, d::kListId);
                                        const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
                                        ASSERT_EQ(count, static_cast<LRESULT>(expected.size()));
                                        for (int i = 0; i < count; ++i)
                                            EXPECT_EQ(ListText(list, i), expected[static_cast<std::size_t>(i)].name);
                                        EXPECT_EQ(Visible(dialog, d::kEmptyMessageId), expected.empty());
                                        EXPECT_EQ(Visible(dialog, d::kPrintId), !expected.empty());
                                        PressKey(dialog, VK_ESCAPE);
                                    }});
    EXPECT_EQ(chosen, L"");
}

TEST(PrinterDialogWin, ListsPrintersInOrderAndEnterPrintsTheFirst) {
    const auto chosen = RunScripted(
        &kPrinters, {
                        [](HWND dialog) {
                            HWND list = GetDlgItem(dialog, d::kListId);
                            ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
                            EXPECT_EQ(ListText(list, 0), L"Zeta Laser");
                            EXPECT_EQ(ListText(list, 1), L"A");
                            EXPECT_EQ(ListText(list, 2), L"b");
                            EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
                            EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), d::kItemHeight);
                            EXPECT_TRUE(Visible(dialog, d::kListId));
                            EXPECT_TRUE(Visible(dialog, d::kPrintId));
                            EXPECT_TRUE(Visible(dialog, d::kCancelId));
                            EXPECT_FALSE(Visible(dialog, d::kEmptyMessageId));
                            wchar_t heading[64] = {};
                            GetDlgItemTextW(dialog, d::kHeadingId, heading, 64);
                            EXPECT_STREQ(heading, d::kHeading);
                            // Centred on the primary screen.
                            RECT r{};
                            GetWindowRect(dialog, &r);
                            EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
                            EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
                            SaveScreenshot(dialog, "printer-dialog-wine");
                        },
                        [](HWND dialog) {
                            // The painting itself: backgrounds and the selected and normal cards.
                            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
                            HWND list = GetDlgItem(dialog, d::kListId);
                            RECT first{}, second{};
                            SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
                            SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
                            HDC listDc = GetDC(list);
                            const int x = first.left + d::kCardInsetX + 6;  // inside the card, left of the name
                            EXPECT_EQ(GetPixel(listDc, x, (first.top + first.bottom) / 2), RGB(0x25, 0x63, 0xEB));
                            EXPECT_EQ(GetPixel(listDc, x, (second.top + second.bottom) / 2), RGB(0x22, 0x25, 0x2D));
                            EXPECT_EQ(GetPixel(listDc, first.left + 1, first.top + 1), RGB(0x1C, 0x1E, 0x24));
                            ReleaseDC(list, listDc);
                            HDC dialogDc = GetDC(dialog);
                            EXPECT_EQ(GetPixel(dialogDc, 2, 2), RGB(0x14, 0x15, 0x19));
                            ReleaseDC(dialog, dialogDc);
                        },
                        [](HWND dialog) { PressKey(dialog, VK_RETURN); },
                    });
    EXPECT_EQ(chosen, L"Zeta Laser");
}

TEST(PrinterDialogWin, EscapeReturnsEmpty) {
    EXPECT_EQ(RunScripted(&kPrinters, {[](HWND dialog) { PressKey(dialog, VK_ESCAPE); }}), L"");
}

TEST(PrinterDialogWin, PrintAndDoubleClickTakeTheSelectedCard) {
    const auto byButton = RunScripted(&kPrinters, {[](HWND dialog) {
        SendDlgItemMessageW(dialog, d::kListId, LB_SETCURSEL, 2, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(d::kPrintId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, d::kPrintId)));
    }});
    EXPECT_EQ(byButton, L"b");
    const auto byDoubleClick = RunScripted(&kPrinters, {[](HWND dialog) {
        HWND list = GetDlgItem(dialog, d::kListId);
        SendMessageW(list, LB_SETCURSEL, 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(d::kListId, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    }});
    EXPECT_EQ(byDoubleClick, L"A");
}

TEST(PrinterDialogWin, PrintWithoutSelectionDoesNothing) {
    const auto chosen = RunScripted(
        &kPrinters, {
                        [](HWND dialog) {
                            SendDlgItemMessageW(dialog, d::kListId, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(d::kPrintId, BN_CLICKED),
                                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, d::kPrintId)));
                        },
                        [](HWND dialog) {
                            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(d::kCancelId, BN_CLICKED),
                                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, d::kCancelId)));
                        },
                    });
    EXPECT_EQ(chosen, L"");
}

TEST(PrinterDialogWin, NoPrintersShowsTheMessageWithOnlyCancel) {
    const auto chosen = RunScripted(&kNoPrinters, {
                                                      [](HWND dialog) {
                                                          EXPECT_FALSE(Visible(dialog, d::kListId));
                                                          EXPECT_FALSE(Visible(dialog, d::kPrintId));
                                                          EXPECT_TRUE(Visible(dialog, d::kCancelId));
                                                          EXPECT_TRUE(Visible(dialog, d::kEmptyMessageId));
                                                          wchar_t text[128] = {};
                                                          GetDlgItemTextW(dialog, d::kEmptyMessageId, text, 128);
                                                          EXPECT_STREQ(text, d::kEmptyMessage);
                                                          SaveScreenshot(dialog, "printer-dialog-wine-empty");
                                                          PressKey(dialog,
                                                                   VK_RETURN);  // nothing to print: the dialog stays
                                                      },
                                                      [](HWND dialog) { PressKey(dialog, VK_ESCAPE); },
                                                  });
    EXPECT_EQ(chosen, L"");
}

}  // namespace
}  // namespace pellaro::print

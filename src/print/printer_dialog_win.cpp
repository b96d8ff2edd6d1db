#include "print/printer_dialog.h"

#include <windows.h>
#include <dwmapi.h>

#include <utility>

#include "core/dpi_scale.h"
#include "platform/scoped_drawing_win.h"
#include "platform/window_dpi_win.h"
#include "print/printer_dialog_style.h"
#include "print/printer_dialog_template.h"

namespace pellaro::print {
namespace {

namespace d = dialog;

constexpr DWORD kDarkTitleBar = 20;       // DWMWA_USE_IMMERSIVE_DARK_MODE
constexpr DWORD kDarkTitleBarOlder = 19;  // the same before Windows 10 20H1
constexpr DWORD kCornerPreference = 33;   // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kRoundCorners = 2;        // DWMWCP_ROUND
constexpr INT_PTR kPrintResult = 1;
constexpr INT_PTR kCancelResult = 2;

COLORREF Colour(std::uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

struct DialogState {
    std::vector<PrinterEntry> printers;
    std::wstring selected;
    int dpi = kBaseDpi;  // the dialog's: pixel metrics and fonts are scaled to it
    // Outlive the dialog (the state is the caller's), so they are deleted after its controls.
    ScopedFont titleFont, normalFont, semiboldFont, badgeFont;
    ScopedBrush dialogBrush, listBrush;

    int Px(int value) const { return ScaleToDpi(value, dpi); }
};

DialogState* StateOf(HWND dialog) { return reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA)); }

HFONT MakeFont(d::FontSpec spec, int dpi) {
    return CreateFontW(ScaleToDpi(spec.height, dpi), 0, 0, 0, spec.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       d::kFontFace);
}

void RoundedBox(HDC dc, const RECT& r, int corner, std::uint32_t fill, const std::uint32_t* border, int penWidth) {
    const ScopedBrush brush(CreateSolidBrush(Colour(fill)));
    const ScopedPen pen(border ? CreatePen(PS_INSIDEFRAME, penWidth, Colour(*border)) : nullptr);
    Selection selectedBrush(dc, brush.get());
    Selection selectedPen(dc, pen ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
}

// The keyboard focus ring, unless the system hides focus cues until a key is used.
void FocusRing(const DialogState& state, HDC dc, RECT r, UINT itemState) {
    if (!(itemState & ODS_FOCUS) || (itemState & ODS_NOFOCUSRECT)) return;
    InflateRect(&r, -state.Px(d::kFocusRingInset), -state.Px(d::kFocusRingInset));
    const ScopedPen pen(CreatePen(PS_INSIDEFRAME, state.Px(1), Colour(d::kFocusRingColour)));
    Selection selectedPen(dc, pen.get());
    Selection selectedBrush(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, state.Px(d::kFocusRingCorner), state.Px(d::kFocusRingCorner));
}

void Text(HDC dc, const std::wstring& text, RECT r, HFONT font, std::uint32_t colour, UINT format) {
    Selection selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Colour(colour));
    DrawTextW(dc, text.c_str(), -1, &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void DrawPrinterCard(const DialogState& state, const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const bool selected = item.itemState & ODS_SELECTED;
    const bool isDefault = item.itemID < state.printers.size() && state.printers[item.itemID].isDefault;
    FillRect(dc, &item.rcItem, state.listBrush.get());
    RECT card = item.rcItem;
    InflateRect(&card, -state.Px(d::kCardInsetX), -state.Px(d::kCardInsetY));
    const std::uint32_t border = selected ? d::kSelectedCardBorder : d::kCardBorder;
    RoundedBox(dc, card, state.Px(d::kCardCorner), selected ? d::kSelectedCardFill : d::kCardFill, &border,
               state.Px(1));
    FocusRing(state, dc, card, item.itemState);

    const int length = static_cast<int>(SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0));
    std::wstring name(length > 0 ? length : 0, L'\0');
    if (length > 0) {
        std::vector<wchar_t> buffer(length + 1);
        SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(buffer.data()));
        name.assign(buffer.data());
    }
    RECT nameRect{card.left + state.Px(d::kNameLeft), card.top,
                  card.right - state.Px(isDefault ? d::kNameRightWithBadge : d::kNameRight), card.bottom};
    Text(dc, name, nameRect, selected ? state.semiboldFont.get() : state.normalFont.get(),
         selected ? d::kSelectedCardText : d::kCardText, DT_LEFT | DT_END_ELLIPSIS);

    if (isDefault) {
        const int middle = (card.top + card.bottom) / 2;
        const int right = card.right - state.Px(d::kBadgeRight);
        const int height = state.Px(d::kBadgeHeight);
        RECT badge{right - state.Px(d::kBadgeWidth), middle - height / 2, right, middle - height / 2 + height};
        RoundedBox(dc, badge, state.Px(d::kBadgeCorner), selected ? d::kSelectedBadgeFill : d::kBadgeFill, nullptr, 0);
        Text(dc, d::kDefaultBadge, badge, state.badgeFont.get(), selected ? d::kSelectedBadgeText : d::kBadgeText,
             DT_CENTER);
    }
}

void DrawButton(const DialogState& state, const DRAWITEMSTRUCT& item) {
    const bool isPrint = item.CtlID == static_cast<UINT>(d::kPrintId);
    const bool pressed = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &item.rcItem, state.dialogBrush.get());
    const std::uint32_t fill = isPrint ? (pressed ? d::kPrintPressedFill : d::kPrintFill)
                                       : (pressed ? d::kCancelPressedFill : d::kCancelFill);
    const std::uint32_t border = isPrint ? (pressed ? d::kPrintPressedBorder : d::kPrintBorder)
                                         : (pressed ? d::kCancelPressedBorder : d::kCancelBorder);
    RoundedBox(item.hDC, item.rcItem, state.Px(d::kButtonCorner), fill, &border, state.Px(1));
    FocusRing(state, item.hDC, item.rcItem, item.itemState);
    wchar_t caption[65] = {};
    GetWindowTextW(item.hwndItem, caption, 65);
    Text(item.hDC, caption, item.rcItem, state.semiboldFont.get(), isPrint ? d::kPrintTextColour : d::kCancelTextColour,
         DT_CENTER);
}

// The fonts at the dialog's DPI, handed to the two texts the system draws.
void MakeFonts(HWND dialog, DialogState* state) {
    // The texts take the new fonts before the old ones are deleted.
    ScopedFont title(MakeFont(d::kTitleFont, state->dpi)), normal(MakeFont(d::kNormalFont, state->dpi));
    SendDlgItemMessageW(dialog, d::kHeadingId, WM_SETFONT, reinterpret_cast<WPARAM>(title.get()), TRUE);
    SendDlgItemMessageW(dialog, d::kEmptyMessageId, WM_SETFONT, reinterpret_cast<WPARAM>(normal.get()), TRUE);
    state->titleFont = std::move(title);
    state->normalFont = std::move(normal);
    state->semiboldFont.reset(MakeFont(d::kSemiboldFont, state->dpi));
    state->badgeFont.reset(MakeFont(d::kBadgeFont, state->dpi));
}

// Moved to a monitor of another DPI: the system lays the controls out again
// from the template (default processing); the fonts and cards are ours.
void FollowDpi(HWND dialog, DialogState* state, WPARAM wParam) {
    state->dpi = HIWORD(wParam) > 0 ? HIWORD(wParam) : kBaseDpi;
    MakeFonts(dialog, state);
    SendDlgItemMessageW(dialog, d::kListId, LB_SETITEMHEIGHT, 0, state->Px(d::kItemHeight));
    InvalidateRect(dialog, nullptr, TRUE);
}

void InitDialog(HWND dialog, DialogState* state) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));

    RECT frame{};
    GetWindowRect(dialog, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    BOOL dark = TRUE;
    if (FAILED(DwmSetWindowAttribute(dialog, kDarkTitleBar, &dark, sizeof dark))) {
        DwmSetWindowAttribute(dialog, kDarkTitleBarOlder, &dark, sizeof dark);
    }
    DWORD corners = kRoundCorners;
    DwmSetWindowAttribute(dialog, kCornerPreference, &corners, sizeof corners);

    state->dpi = WindowDpi(dialog);
    MakeFonts(dialog, state);
    state->dialogBrush.reset(CreateSolidBrush(Colour(d::kDialogBackground)));
    state->listBrush.reset(CreateSolidBrush(Colour(d::kListBackground)));

    HWND list = GetDlgItem(dialog, d::kListId);
    if (state->printers.empty()) {
        ShowWindow(list, SW_HIDE);
        ShowWindow(GetDlgItem(dialog, d::kPrintId), SW_HIDE);
        ShowWindow(GetDlgItem(dialog, d::kEmptyMessageId), SW_SHOW);
        return;
    }
    ShowWindow(GetDlgItem(dialog, d::kEmptyMessageId), SW_HIDE);
    for (const auto& printer : state->printers) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printer.name.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void ChoosePrinter(HWND dialog, DialogState* state) {
    const LRESULT index = SendDlgItemMessageW(dialog, d::kListId, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || static_cast<std::size_t>(index) >= state->printers.size()) return;
    state->selected = state->printers[static_cast<std::size_t>(index)].name;
    EndDialog(dialog, kPrintResult);
}

INT_PTR CALLBACK PrinterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* state = StateOf(dialog);
    switch (message) {
        case WM_INITDIALOG: InitDialog(dialog, reinterpret_cast<DialogState*>(lParam)); return TRUE;
        case WM_MEASUREITEM: {
            // Arrives while the list is created, before WM_INITDIALOG.
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (measure->CtlID != static_cast<UINT>(d::kListId)) return FALSE;
            measure->itemHeight = static_cast<UINT>(ScaleToDpi(d::kItemHeight, WindowDpi(dialog)));
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!state) return FALSE;
            if (item->CtlID == static_cast<UINT>(d::kListId)) {
                if (item->itemID == static_cast<UINT>(-1)) return FALSE;
                DrawPrinterCard(*state, *item);
                return TRUE;
            }
            if (item->CtlID == static_cast<UINT>(d::kPrintId) || item->CtlID == static_cast<UINT>(d::kCancelId)) {
                DrawButton(*state, *item);
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND: {
            if (!state) return FALSE;
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == IDCANCEL || id == d::kCancelId) {
                state->selected.clear();
                EndDialog(dialog, kCancelResult);
                return TRUE;
            }
            // Enter (the dialog's default command), Print, or a double click on a card.
            if (id == IDOK || id == d::kPrintId || (id == d::kListId && code == LBN_DBLCLK)) {
                ChoosePrinter(dialog, state);
                return TRUE;
            }
            return FALSE;
        }
        case WM_CTLCOLORLISTBOX:
            if (!state) return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
            SetTextColor(reinterpret_cast<HDC>(wParam), Colour(d::kListTextColour));
            SetBkColor(reinterpret_cast<HDC>(wParam), Colour(d::kListBackground));
            return reinterpret_cast<INT_PTR>(state->listBrush.get());
        case WM_CTLCOLORSTATIC:
            if (!state) return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
            SetTextColor(reinterpret_cast<HDC>(wParam), Colour(d::kStaticTextColour));
            SetBkColor(reinterpret_cast<HDC>(wParam), Colour(d::kDialogBackground));
            return reinterpret_cast<INT_PTR>(state->dialogBrush.get());
        case WM_CTLCOLORDLG:
            if (!state) return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
            return reinterpret_cast<INT_PTR>(state->dialogBrush.get());
        case WM_DPICHANGED:
            if (state) FollowDpi(dialog, state, wParam);
            return FALSE;
        default: return FALSE;
    }
}

}  // namespace

std::wstring RunPrinterDialog(void* owner, const std::vector<PrinterEntry>& printers) {
    DialogState state;
    state.printers = printers;
    const std::vector<std::uint8_t> dialogTemplate = BuildPrinterDialogTemplate();
    const INT_PTR result = DialogBoxIndirectParamW(
        GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(dialogTemplate.data()), static_cast<HWND>(owner),
        PrinterDialogProc, reinterpret_cast<LPARAM>(&state));
    return result == kPrintResult ? state.selected : std::wstring();
}

}  // namespace pellaro::print

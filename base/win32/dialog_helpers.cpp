// Helpers every dialog procedure of SETUP.EXE uses.
#include "base/win32/dialog_helpers.h"

#include "base/messages.h"
#include "base/text_format.h"
#include "base/win32/window_state.h"
#include "resources/resource_ids.h"

bool IsDialogColourMessage(UINT message) {
    return message == WM_CTLCOLORMSGBOX || message == WM_CTLCOLORBTN || message == WM_CTLCOLORDLG ||
           message == WM_CTLCOLORSTATIC;
}

namespace {

HBRUSH DialogCtlColor(HWND, HDC deviceContext, HWND) {
    SetBkColor(deviceContext, GetSysColor(COLOR_BTNFACE));
    return DialogBrush;
}

} // namespace

INT_PTR DialogCtlColorResult(HWND dialog, WPARAM wParam, LPARAM lParam) {
    return reinterpret_cast<INT_PTR>(
        DialogCtlColor(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
}

void FillSolidRect(HDC deviceContext, int x, int y, int width, int height, COLORREF colour) {
    SetBkColor(deviceContext, colour);
    RECT area = {x, y, x + width, y + height};
    ExtTextOutA(deviceContext, 0, 0, ETO_OPAQUE, &area, "", 0, nullptr);
}

void PaintSunkenRect(HDC deviceContext, int x, int y, int w, int h) {
    FillSolidRect(deviceContext, x + 1, y + 1, w - 2, h - 2, GetSysColor(COLOR_BTNFACE));
    FillSolidRect(deviceContext, x, y, w - 1, 1, GetSysColor(COLOR_BTNSHADOW));
    FillSolidRect(deviceContext, x, y, 1, h - 1, GetSysColor(COLOR_BTNSHADOW));
    FillSolidRect(deviceContext, x, y + h - 1, w, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    FillSolidRect(deviceContext, x + w - 1, y, 1, h, GetSysColor(COLOR_BTNHIGHLIGHT));
}

void PaintSunkenFrame(HWND dialog, HDC deviceContext) {
    HWND marker = GetDlgItem(dialog, ItemSeparator);
    if (marker == nullptr) return;
    RECT place;
    GetWindowRect(marker, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    PaintSunkenRect(deviceContext, place.left, place.top, place.right - place.left,
                    place.bottom - place.top);
}

void SetItemString(HWND dialog, int item, uint32_t stringId) {
    char text[256] = {};
    LoadStringA(Instance, stringId, text, 255);
    SetDlgItemTextA(dialog, item, text);
}

void FormatItemWithTitle(HWND dialog, int item, const char* title) {
    char format[512] = {};
    char text[512] = {};
    GetDlgItemTextA(dialog, item, format, sizeof format);
    // The template's own text is the format; FormatText cuts the result at the buffer's end.
    FormatText(text, sizeof text, format, title);
    SetDlgItemTextA(dialog, item, text);
}

void SetItemKb(HWND dialog, int item, uint32_t kilobytes) {
    char format[40] = {};
    char text[40] = {};
    LoadStringA(Instance, StrKb, format, 39);
    FormatText(text, sizeof text, format, static_cast<unsigned long>(kilobytes));
    SetDlgItemTextA(dialog, item, text);
}

// The backdrop window: its class, its messages and its gradient.
#include "shell/win32/backdrop.h"

#include "base/messages.h"
#include "base/win32/dialog_runner.h"
#include "base/win32/window_state.h"
#include "resources/resource_ids.h"

#include <cstdint>

const char BackdropClassName[] = "AtoaClass";

int RegisterBackdropClass() {
    WNDCLASSA backdrop = {};
    backdrop.style = CS_HREDRAW | CS_VREDRAW;
    backdrop.lpfnWndProc = BackdropWindowProc;
    backdrop.hInstance = Instance;
    backdrop.hIcon = LoadIconA(Instance, MAKEINTRESOURCEA(IconSetup));
    backdrop.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    backdrop.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    backdrop.lpszClassName = BackdropClassName;
    return RegisterClassA(&backdrop);
}

LRESULT CALLBACK BackdropWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: PostQuitMessage(0); break;
    case WM_PAINT: PaintBackdrop(); return 0;
    case WM_SYSCOMMAND:
        // The close box, the system menu's Close and Alt+F4 cancel the running dialog; the
        // window stays until shutdown destroys it.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            DialogResult = StatusCancelled;
            return 0;
        }
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

namespace {

// The blue of row y of a client area height rows high: 255 at the top, 255 - 255*y/height
// below (rounded down), 0 at y = height. height must be positive.
uint8_t BackdropRowBlue(int y, int height) {
    // -255*y/height truncates toward zero; one less, modulo 256, is 255 - floor(255*y/height).
    int quotient = -255 * y / height;
    return static_cast<uint8_t>(quotient - 1);
}

// Fills rows top to bottom (exclusive) from left to right, starting a new brush only where
// the colour changes. original is the brush the device context held when painting began.
void PaintRows(HDC deviceContext, const RECT& paint, int height, HGDIOBJ original) {
    HBRUSH brush = nullptr;
    COLORREF brushColour = 0;
    for (int y = paint.top; y < paint.bottom; ++y) {
        COLORREF colour = RGB(0, 0, BackdropRowBlue(y, height));
        if (brush == nullptr || colour != brushColour) {
            if (brush != nullptr) {
                SelectObject(deviceContext, original);
                DeleteObject(brush);
            }
            brush = CreateSolidBrush(colour);
            brushColour = colour;
            SelectObject(deviceContext, brush);
        }
        PatBlt(deviceContext, paint.left, y, paint.right - paint.left, 1, PATCOPY);
    }
    SelectObject(deviceContext, original);
    if (brush != nullptr) DeleteObject(brush);
}

} // namespace

void PaintBackdrop() {
    RECT client;
    GetClientRect(BackdropWindow, &client);
    PAINTSTRUCT paint;
    HDC deviceContext = BeginPaint(BackdropWindow, &paint);
    // A minimised or flattened window has no rows to scale the gradient to.
    if (deviceContext != nullptr && client.bottom > 0) {
        HGDIOBJ original = GetCurrentObject(deviceContext, OBJ_BRUSH);
        PaintRows(deviceContext, paint.rcPaint, client.bottom, original);
    }
    EndPaint(BackdropWindow, &paint);
}

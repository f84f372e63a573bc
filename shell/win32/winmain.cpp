// The entry point of SETUP.EXE: one running copy, the backdrop, the catalogue, the main menu
// once, the chosen action, and an orderly shutdown.
#include "base/messages.h"
#include "base/win32/dialog_runner.h"
#include "base/win32/window_state.h"
#include "graphics/graphics_flags.h"
#include "graphics/win32/graphics_dialog.h"
#include "install/win32/install_sequence.h"
#include "package/catalogue.h"
#include "resources/resource_ids.h"
#include "shell/win32/backdrop.h"
#include "shell/win32/main_menu.h"

namespace {

// When another copy runs, brings its backdrop (restored if minimised) and then its last
// active popup, such as a message box, to the top. Returns true when a copy was found.
bool BringRunningCopyForward() {
    HWND running = FindWindowA(BackdropClassName, nullptr);
    if (running == nullptr) return false;
    HWND popup = GetLastActivePopup(running);
    BringWindowToTop(running);
    if (IsIconic(running)) ShowWindow(running, SW_RESTORE);
    if (popup != running) BringWindowToTop(popup);
    return true;
}

// SetupCaption keeps "Setup" when StrSetupCaption cannot be loaded.
void LoadSetupCaption() {
    char caption[sizeof SetupCaption] = {};
    if (LoadStringA(Instance, StrSetupCaption, caption, sizeof caption) > 0)
        lstrcpynA(SetupCaption, caption, sizeof SetupCaption);
}

void CreateDialogBrush() {
    DialogBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    if (DialogBrush == nullptr) DialogBrush = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
}

// Creates the backdrop over the middle three quarters of the screen, shows and paints it, and
// puts the first dialog's centre at three eighths of the screen, less a menu bar's height.
bool CreateBackdrop() {
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    int menuBar = GetSystemMetrics(SM_CYMENU);
    BackdropWindow = CreateWindowExA(0, BackdropClassName, SetupCaption, WS_OVERLAPPEDWINDOW,
                                     width / 8, height / 8, 3 * width / 4, 3 * height / 4, nullptr,
                                     nullptr, Instance, nullptr);
    if (BackdropWindow == nullptr) return false;
    ShowWindow(BackdropWindow, SW_SHOWNORMAL);
    UpdateWindow(BackdropWindow);
    DialogAnchor.x = 3 * width / 8;
    DialogAnchor.y = 3 * height / 8 - menuBar;
    return true;
}

// Runs the main menu once and the one action chosen there.
void RunMainMenu() {
    int32_t choice = RunModalLoop(DialogMainMenu, MainMenuProc, 0);
    if (choice == MenuInstall) {
        // The sequence shows its own failures, except those that come back without a message
        // (the progress window could not be made, memory ran out); show those before leaving.
        StatusCode status = RunInstallSequence();
        if (status == MsgWindowProblem || status == MsgNoMemory)
            ReportStatus(BackdropWindow, status);
    } else if (choice == MenuGraphicsDriver) {
        if (RunModalLoop(DialogGraphics, GraphicsDialogProc, 0) == IDOK) StoreGraphicsFlags();
    }
}

// Releases the catalogue, destroys the backdrop (which posts the quit message) and handles
// what is still queued until that message arrives.
void ShutDown() {
    ReleaseCatalogue();
    DestroyWindow(BackdropWindow);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    if (DialogBrush != static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH))) DeleteObject(DialogBrush);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (BringRunningCopyForward()) return 0;
    Instance = instance;
    LoadSetupCaption();
    if (RegisterBackdropClass() == 0) return 0;
    CreateDialogBrush();
    if (!CreateBackdrop()) {
        WarnString(nullptr, MsgWindowProblem);
        return -1;
    }
    StatusCode status = LoadCatalogue();
    if (status != StatusOk) {
        ReportStatus(BackdropWindow, status);
    } else {
        ReadGraphicsFlags();
        RunMainMenu();
    }
    ShutDown();
    return 0;
}

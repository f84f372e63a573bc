// The end-to-end robot: starts SETUP.EXE, follows a scenario of steps (read the dialog that
// is up, press buttons, answer message boxes, type, close the backdrop, take screenshots)
// and writes a transcript of everything it saw. Exit code 0 when every step passed.
//
//   robot SCENARIO SETUP-EXE ARTIFACT-DIR   run a scenario (all paths as Windows paths)
//
// A scenario may go on with another program once SETUP.EXE has ended (run PATH), such as the
// uninstaller it installed.
//   robot --probe                           exit 0 at once (can this prefix run us?)
//
// A scenario names dialogs, controls and buttons as resources/resource_ids.h and the system do
// (expect-dialog DialogDestination, type ItemDirectory "C:\\GAME", click IDOK, answer-box IDYES).
//
// Screenshots are taken by the host: the robot writes ARTIFACT-DIR\shot.request holding
// "NAME FORMAT" and waits for ARTIFACT-DIR\NAME.done, which the host's script writes after
// NAME.png (and NAME.bmp when FORMAT is bmp). Disk swaps likewise: swap.request holds N, and
// the host answers with swap-N.done once drive A: holds disk N. For grow.request the host
// enlarges the scenario's small drive and answers with grow.done.
#include "screen.h"
#include "script.h"

#include "resources/resource_ids.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// A step that did not pass; the message says what was expected and what was found.
struct StepFailed : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Robot {
    std::string setupPath;
    std::string artifacts;
    std::ofstream transcript;
    std::map<int, DialogTemplate> templates;
    PROCESS_INFORMATION first = {};
    PROCESS_INFORMATION second = {};
    HANDLE heldFile = INVALID_HANDLE_VALUE; // hold-file: open without sharing until release-file
    DWORD timeoutMs = 10000;

    DWORD startTick = GetTickCount();

    // One transcript line, after the milliseconds since the robot started.
    void Log(const std::string& line) {
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%6lu ",
                      static_cast<unsigned long>(GetTickCount() - startTick));
        transcript << stamp << line << "\n";
        transcript.flush();
    }
};

Robot R;

[[noreturn]] void Fail(const std::string& message) {
    throw StepFailed(message);
}

// Polls condition every pollMs until it holds or the step's time runs out. describe says what
// was awaited and what was last seen, for the failure message; it is called only then.
void WaitFor(const std::function<bool()>& condition, const std::function<std::string()>& describe,
             DWORD pollMs = 50) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return;
        if (GetTickCount() - start > R.timeoutMs)
            Fail("timed out after " + std::to_string(R.timeoutMs) + " ms waiting for " +
                 describe());
        Sleep(pollMs);
    }
}

// The template of SETUP.EXE's dialog id; fails when it has none.
const DialogTemplate& Template(int id) {
    auto found = R.templates.find(id);
    if (found == R.templates.end()) Fail("SETUP.EXE has no dialog template " + std::to_string(id));
    return found->second;
}

DWORD FirstId() {
    if (R.first.hProcess == nullptr) Fail("SETUP.EXE was not started");
    return R.first.dwProcessId;
}

bool Running(const PROCESS_INFORMATION& process) {
    return process.hProcess != nullptr && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Backdrop() {
    HWND backdrop = nullptr;
    WaitFor([&] { return (backdrop = FindBackdrop(FirstId())) != nullptr; },
            [] { return std::string("a backdrop window of class AtoaClass"); });
    return backdrop;
}

Dialog CurrentDialog() {
    Dialog dialog;
    if (!FindActiveDialog(FirstId(), dialog)) Fail("no dialog is up");
    return dialog;
}

const Control* FindControl(const Dialog& dialog, int id) {
    for (const Control& control : dialog.controls)
        if (control.id == id) return &control;
    return nullptr;
}

int Number(const std::string& word) {
    char* end = nullptr;
    long value = std::strtol(word.c_str(), &end, 0);
    if (word.empty() || *end != '\0') Fail("not a number: " + word);
    return static_cast<int>(value);
}

// The names a scenario gives dialogs, their controls and the buttons of dialogs and boxes: those
// of resource_ids.h and the system's button ids.
#define NAMED(id) std::make_pair(#id, id)
const std::map<std::string, int>& IdNames() {
    static const std::map<std::string, int> names = {
        NAMED(DialogMainMenu),
        NAMED(DialogDestination),
        NAMED(DialogGraphics),
        NAMED(DialogHalt),
        NAMED(DialogProgress),
        NAMED(DialogFinal),
        NAMED(DialogFinalFirstInstall),
        NAMED(ItemMenuInstall),
        NAMED(ItemMenuGraphicsDriver),
        NAMED(ItemMenuWelcome),
        NAMED(ItemDirectory),
        NAMED(ItemRequiredKb),
        NAMED(ItemFreeKb),
        NAMED(ItemDestinationText),
        NAMED(ItemRequiredLabel),
        NAMED(ItemSeparator),
        NAMED(ItemDriverOptimised),
        NAMED(ItemDriverStandard),
        NAMED(ItemDriverWinG),
        NAMED(ItemDriverGroup),
        NAMED(ItemFileName),
        NAMED(ItemProgressBar),
        NAMED(ItemPercent),
        NAMED(ItemHaltText),
        NAMED(ItemFinalTitle),
        NAMED(ItemHowToStart),
        NAMED(IDOK),
        NAMED(IDCANCEL),
        NAMED(IDABORT),
        NAMED(IDRETRY),
        NAMED(IDIGNORE),
        NAMED(IDYES),
        NAMED(IDNO),
    };
    return names;
}
#undef NAMED

// The id a scenario names: a dialog, a control or a button, by its name, never by number.
int Id(const std::string& word) {
    auto found = IdNames().find(word);
    if (found == IdNames().end()) Fail("not the name of a dialog, control or button: " + word);
    return found->second;
}

bool YesNo(const std::string& word) {
    if (word == "yes") return true;
    if (word == "no") return false;
    Fail("expected yes or no, not " + word);
}

void Need(const Step& step, size_t count) {
    if (step.words.size() < count + 1)
        Fail(step.words[0] + " needs " + std::to_string(count) + " argument(s)");
}

void LogDialog(const Dialog& dialog) {
    for (const std::string& line : Describe(dialog))
        R.Log("  " + line);
}

// Waits until property reads expected of control id of the current dialog; what names the
// property for the failure message.
void ExpectControl(int id, const std::string& what, const std::string& expected,
                   const std::function<std::string(const Control&)>& property) {
    std::string found = "(no such control)";
    WaitFor(
        [&] {
            Dialog dialog;
            if (!FindActiveDialog(FirstId(), dialog)) return false;
            const Control* control = FindControl(dialog, id);
            found = control ? property(*control) : "(no such control)";
            return found == expected;
        },
        [&] {
            return "control " + std::to_string(id) + " " + what + " " + Quote(expected) +
                   ", found " + Quote(found);
        });
}

PROCESS_INFORMATION StartSetup() {
    std::string commandLine = "\"" + R.setupPath + "\"";
    std::string directory = R.setupPath.substr(0, R.setupPath.find_last_of('\\') + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(R.setupPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, directory.c_str(), &startup, &process))
        Fail("cannot start " + R.setupPath + ": error " + std::to_string(GetLastError()));
    return process;
}

// run PATH: once the program started before has ended, starts PATH (an installed uninstaller,
// say) in its own directory as the program that the following steps watch, with its dialog
// templates.
void RunProgram(const Step& step) {
    Need(step, 1);
    if (Running(R.first)) Fail("the program started before still runs");
    R.setupPath = step.words[1];
    R.templates = ReadDialogTemplates(R.setupPath);
    R.first = StartSetup();
}

// hold-file PATH: opens PATH without sharing it, as a running program holds its file open, so
// that nobody else can open or delete it until release-file.
void HoldFile(const Step& step) {
    Need(step, 1);
    if (R.heldFile != INVALID_HANDLE_VALUE) Fail("a file is held already");
    R.heldFile = CreateFileA(step.words[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (R.heldFile == INVALID_HANDLE_VALUE)
        Fail("cannot open " + step.words[1] + ": error " + std::to_string(GetLastError()));
}

void ReleaseFile() {
    if (R.heldFile != INVALID_HANDLE_VALUE) CloseHandle(R.heldFile);
    R.heldFile = INVALID_HANDLE_VALUE;
}

// expect-window CAPTION: a visible top-level dialog of the program has this caption (whether a
// box covers it or not).
void ExpectWindow(const Step& step) {
    Need(step, 1);
    DWORD id = FirstId();
    WaitFor([&] { return ShowsTopLevelDialog(id, step.words[1]); },
            [&] { return "a window " + Quote(step.words[1]); });
}

DWORD WaitForExit(const PROCESS_INFORMATION& process, const std::string& name) {
    if (process.hProcess == nullptr) Fail(name + " was not started");
    if (WaitForSingleObject(process.hProcess, R.timeoutMs) != WAIT_OBJECT_0)
        Fail(name + " did not end within " + std::to_string(R.timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return code;
}

// Presses a button of dialog with a posted BM_CLICK, refusing a disabled or hidden one.
// Returns the button, as read with the dialog.
const Control& Press(const Dialog& dialog, int id) {
    const Control* control = FindControl(dialog, id);
    if (control == nullptr)
        Fail("no control " + std::to_string(id) + " in " + Quote(dialog.caption));
    if (!control->enabled) Fail("control " + std::to_string(id) + " is disabled");
    if (!control->visible) Fail("control " + std::to_string(id) + " is hidden");
    PostMessageA(control->window, BM_CLICK, 0, 0);
    return *control;
}

bool IsChoiceButton(const Control& control) {
    DWORD kind = control.style & BS_TYPEMASK;
    return control.className == "Button" && (kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON ||
                                             kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX);
}

// After pressing a push button: the dialog is gone, disabled, no longer the one a user acts
// on (a box covers it), or the program has ended.
void AwaitDialogLeft(HWND window) {
    WaitFor(
        [&] {
            if (!Running(R.first) || !IsWindow(window) || !IsWindowVisible(window) ||
                !IsWindowEnabled(window))
                return true;
            Dialog now;
            return !FindActiveDialog(R.first.dwProcessId, now) || now.window != window;
        },
        [] { return std::string("the dialog to go away after the click"); });
}

std::string ControlText(const Control& c) {
    return c.text;
}
std::string ControlEnabled(const Control& c) {
    return c.enabled ? "yes" : "no";
}
std::string ControlVisible(const Control& c) {
    return c.visible ? "yes" : "no";
}
std::string ControlChecked(const Control& c) {
    return c.checked ? "yes" : "no";
}
std::string ControlClass(const Control& c) {
    return c.className;
}

void Click(const Step& step) {
    Need(step, 1);
    int id = Id(step.words[1]);
    Dialog dialog = CurrentDialog();
    if (IsChoiceButton(Press(dialog, id))) {
        ExpectControl(id, "checked", "yes", ControlChecked);
    } else {
        AwaitDialogLeft(dialog.window);
    }
}

Dialog CurrentBox() {
    Dialog box;
    WaitFor([&] { return FindActiveDialog(FirstId(), box) && box.box; },
            [] { return std::string("a message box"); });
    return box;
}

void ExpectBox(const Step& step) {
    Need(step, 1);
    Dialog box;
    std::string found;
    WaitFor(
        [&] {
            if (!FindActiveDialog(FirstId(), box) || !box.box) return false;
            const Control* text = FindControl(box, -1);
            found = text ? text->text : "(no text)";
            return found == step.words[1] &&
                   (step.words.size() < 3 || box.caption == step.words[2]);
        },
        [&] {
            return "message box " + Quote(step.words[1]) +
                   (step.words.size() >= 3 ? " captioned " + Quote(step.words[2]) : "") +
                   ", found " + Quote(found) + " captioned " + Quote(box.caption);
        });
    LogDialog(box);
}

// Waits, polling every pollMs, until dialog id is the one to act on; returns it.
Dialog AwaitDialog(int id, DWORD pollMs) {
    const DialogTemplate& wanted = Template(id);
    Dialog dialog;
    WaitFor([&] { return FindActiveDialog(FirstId(), dialog) && MatchesTemplate(dialog, wanted); },
            [&] { return "dialog " + std::to_string(id) + " " + Quote(wanted.caption); }, pollMs);
    return dialog;
}

void ExpectDialog(const Step& step) {
    Need(step, 1);
    LogDialog(AwaitDialog(Id(step.words[1]), 50));
}

// The dialog's top-left corner must be where a dialog of its size centred on (x, y) lies.
void ExpectPlaced(const Step& step) {
    Need(step, 2);
    int x = Number(step.words[1]), y = Number(step.words[2]);
    Dialog dialog = CurrentDialog();
    long w = dialog.rect.right - dialog.rect.left, h = dialog.rect.bottom - dialog.rect.top;
    long left = x - w / 2, top = y - h / 2;
    if (dialog.rect.left != left || dialog.rect.top != top)
        Fail("dialog " + std::to_string(w) + "x" + std::to_string(h) + " at " +
             std::to_string(dialog.rect.left) + "," + std::to_string(dialog.rect.top) +
             ", expected " + std::to_string(left) + "," + std::to_string(top));
}

// drag-to-corner: moves the current dialog as a user dragging it by its caption would, until
// its centre lies on the bottom-right corner of the backdrop's client area.
void DragToCorner() {
    Dialog dialog = CurrentDialog();
    RECT client;
    GetClientRect(Backdrop(), &client);
    long w = dialog.rect.right - dialog.rect.left, h = dialog.rect.bottom - dialog.rect.top;
    SetWindowPos(dialog.window, nullptr, client.right - w / 2, client.bottom - h / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] { return CurrentDialog().rect.left == client.right - w / 2; },
            [] { return std::string("the dialog to move to the corner"); });
}

// expect-inside: the current dialog, and so every button of it, lies wholly inside the
// backdrop's client area.
void ExpectInside() {
    Dialog dialog = CurrentDialog();
    RECT client;
    GetClientRect(Backdrop(), &client);
    const RECT& r = dialog.rect;
    R.Log("  dialog at " + std::to_string(r.left) + "," + std::to_string(r.top) + " to " +
          std::to_string(r.right) + "," + std::to_string(r.bottom) + " in a client area of " +
          std::to_string(client.right) + "x" + std::to_string(client.bottom));
    if (r.left < 0 || r.top < 0 || r.right > client.right || r.bottom > client.bottom)
        Fail("the dialog reaches outside the backdrop's client area");
}

void ExpectBackdrop(const Step& step) {
    Need(step, 4);
    RECT r;
    GetWindowRect(Backdrop(), &r);
    std::string found = std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                        std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
    std::string expected =
        step.words[1] + " " + step.words[2] + " " + step.words[3] + " " + step.words[4];
    R.Log("  backdrop at " + found);
    if (found != expected) Fail("backdrop at " + found + ", expected " + expected);
}

// Asks the host for something and waits until it is done: the robot writes
// ARTIFACT-DIR\KIND.request holding text, the host's script writes ARTIFACT-DIR\done.
void AskHost(const std::string& kind, const std::string& text, const std::string& done,
             const std::string& describe) {
    std::string donePath = R.artifacts + "\\" + done;
    DeleteFileA(donePath.c_str());
    std::string request = R.artifacts + "\\" + kind + ".request";
    std::string partial = request + ".tmp";
    {
        std::ofstream out(partial, std::ios::binary);
        out << text << "\n";
    }
    if (!MoveFileExA(partial.c_str(), request.c_str(), MOVEFILE_REPLACE_EXISTING))
        Fail("cannot write " + request);
    WaitFor([&] { return GetFileAttributesA(donePath.c_str()) != INVALID_FILE_ATTRIBUTES; },
            [&] { return describe + " from the host"; });
}

// Asks the host for a screenshot and waits for it. Returns the Windows path of the image.
std::string Screenshot(const std::string& name, const std::string& format) {
    AskHost("shot", name + " " + format, name + ".done", "screenshot " + name);
    R.Log("  screenshot " + name + ".png");
    return R.artifacts + "\\" + name + "." + format;
}

// A 24- or 32-bit bottom-up or top-down BMP file, read whole.
struct Bitmap {
    std::vector<unsigned char> bytes;
    long width = 0, height = 0, stride = 0, offset = 0, bytesPerPixel = 0;
    bool bottomUp = true;

    bool Load(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') return false;
        auto u32 = [&](size_t at) {
            return static_cast<long>(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                                     static_cast<unsigned>(bytes[at + 3]) << 24);
        };
        offset = u32(10);
        width = u32(18);
        height = u32(22);
        int bits = bytes[28] | bytes[29] << 8;
        if (bits != 24 && bits != 32) return false;
        bytesPerPixel = bits / 8;
        bottomUp = height > 0;
        if (height < 0) height = -height;
        stride = (width * bytesPerPixel + 3) / 4 * 4;
        return offset + stride * height <= static_cast<long>(bytes.size());
    }
    // Blue, green and red of pixel (x, y), y from the top.
    COLORREF Pixel(long x, long y) const {
        long row = bottomUp ? height - 1 - y : y;
        const unsigned char* p = &bytes[offset + row * stride + x * bytesPerPixel];
        return RGB(p[2], p[1], p[0]);
    }
};

// Has the host take screenshot name as a BMP and reads it.
Bitmap ShotBitmap(const std::string& name) {
    Bitmap shot;
    if (!shot.Load(Screenshot(name, "bmp"))) Fail("cannot read the screenshot " + name + ".bmp");
    return shot;
}

// Checks two columns of the backdrop's client area, near its left and right edges, against
// the gradient: every row y of a client area H rows high is blue 255 - 255*y/H, no red or green.
void ExpectGradient(const Step& step) {
    std::string name = step.words.size() > 1 ? step.words[1] : "gradient";
    HWND backdrop = Backdrop();
    RECT client;
    GetClientRect(backdrop, &client);
    POINT origin = {0, 0};
    ClientToScreen(backdrop, &origin);
    Bitmap shot = ShotBitmap(name);
    long height = client.bottom;
    if (height <= 0) Fail("the backdrop has no client area");
    for (long column : {2L, static_cast<long>(client.right) - 3}) {
        for (long y = 0; y < height; ++y) {
            long sx = origin.x + column, sy = origin.y + y;
            if (sx < 0 || sy < 0 || sx >= shot.width || sy >= shot.height) continue;
            COLORREF found = shot.Pixel(sx, sy);
            COLORREF expected = RGB(0, 0, 255 - 255 * y / height);
            if (found != expected) {
                char text[160];
                std::snprintf(
                    text, sizeof text,
                    "row %ld of %ld (column %ld): red %d green %d blue %d, expected blue %d", y,
                    height, column, GetRValue(found), GetGValue(found), GetBValue(found),
                    GetBValue(expected));
                Fail(text);
            }
        }
    }
    char rows[200];
    std::snprintf(rows, sizeof rows,
                  "  gradient of %ld rows: y=0 %d, y=1 %d, y=2 %d, y=H/4 %d, y=H/2 %d, y=H-1 %d",
                  height, GetBValue(shot.Pixel(origin.x + 2, origin.y)),
                  GetBValue(shot.Pixel(origin.x + 2, origin.y + 1)),
                  GetBValue(shot.Pixel(origin.x + 2, origin.y + 2)),
                  GetBValue(shot.Pixel(origin.x + 2, origin.y + height / 4)),
                  GetBValue(shot.Pixel(origin.x + 2, origin.y + height / 2)),
                  GetBValue(shot.Pixel(origin.x + 2, origin.y + height - 1)));
    R.Log(rows);
}

// Has the host re-point drive A: to disk n (it answers with swap-N.done).
void SwapDisk(int n) {
    AskHost("swap", std::to_string(n), "swap-" + std::to_string(n) + ".done",
            "disk " + std::to_string(n) + " in drive A:");
    R.Log("  drive A: holds disk " + std::to_string(n));
}

// watch [answer DIALOG]: leaves SETUP.EXE to its user until it ends; whenever it asks for
// another disk ("Insert disk N in drive X."), has the host put disk N into drive A:, without
// clicking. With "answer DIALOG" (for testing this step) it presses OK on each disk box itself
// and returns once dialog DIALOG is up.
void Watch(const Step& step) {
    bool answer = step.words.size() > 2 && step.words[1] == "answer";
    auto until = answer ? R.templates.find(Id(step.words[2])) : R.templates.end();
    HWND handled = nullptr;
    while (Running(R.first)) {
        Dialog box;
        const Control* text = nullptr;
        int disk = 0;
        char drive[8] = {};
        bool up = FindActiveDialog(FirstId(), box);
        if (up && until != R.templates.end() && MatchesTemplate(box, until->second)) return;
        if (up && box.box && box.window != handled && (text = FindControl(box, -1)) != nullptr &&
            std::sscanf(text->text.c_str(), "Insert disk %d in drive %7s", &disk, drive) == 2) {
            handled = box.window;
            R.Log("  asked for disk " + std::to_string(disk));
            SwapDisk(disk);
            if (answer) Press(box, IDOK);
        }
        Sleep(100);
    }
}

// press-when-up DIALOG ID: waits for dialog DIALOG as when-up does and presses its button ID
// at once, without waiting for the dialog to go (a transfer may be quick).
void PressWhenUp(const Step& step) {
    Need(step, 2);
    Press(AwaitDialog(Id(step.words[1]), 1), Id(step.words[2]));
}

// The number of blocks the progress bar shows at percent in a bar W x H pixels: blocks H/2
// wide from x = 1 with gaps of 2, the first always, each further one while its right edge stays
// left of both the frame's right line and percent of the width.
long ExpectedBlocks(long width, long height, long percent) {
    long block = height / 2, count = 0;
    for (long x = 1;; x += block + 2) {
        if (count > 0 && !(x + block < width && x + block < percent * width / 100)) break;
        ++count;
    }
    return count;
}

// Runs of the active caption colour along the middle row of the bar's rectangle bar.
long CountBlocks(const Bitmap& shot, const RECT& bar) {
    COLORREF caption = GetSysColor(COLOR_ACTIVECAPTION);
    long y = (bar.top + bar.bottom) / 2, runs = 0;
    bool inside = false;
    for (long x = bar.left; x < bar.right && x < shot.width && y < shot.height; ++x) {
        bool block = shot.Pixel(x, y) == caption;
        if (block && !inside) ++runs;
        inside = block;
    }
    return runs;
}

// Moves a message box that is up to the bottom left corner of the screen, so that it does not
// cover the dialog behind it.
void MoveBoxAway() {
    Dialog box;
    if (!FindActiveDialog(FirstId(), box) || !box.box) return;
    RECT r;
    GetWindowRect(box.window, &r);
    SetWindowPos(box.window, nullptr, 0, GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// expect-progress TEXT [SHOT]: the progress dialog (a child of the backdrop, read also while a
// box covers it) shows TEXT ("0%", "100%") in ItemPercent, and a screenshot shows in the middle
// row of the bar (ItemProgressBar) as many runs of the active caption colour as TEXT asks for.
void ExpectProgress(const Step& step) {
    Need(step, 1);
    const std::string& caption = Template(DialogProgress).caption;
    HWND backdrop = Backdrop(), dialog = nullptr;
    std::string found = "(no progress dialog)";
    WaitFor(
        [&] {
            dialog = FindWindowExA(backdrop, nullptr, DialogClass, caption.c_str());
            HWND label = dialog ? GetDlgItem(dialog, ItemPercent) : nullptr;
            if (label != nullptr) found = WindowText(label);
            return found == step.words[1];
        },
        [&] { return "progress " + Quote(step.words[1]) + ", found " + Quote(found); });
    RECT bar;
    GetWindowRect(GetDlgItem(dialog, ItemProgressBar), &bar);
    long width = bar.right - bar.left, height = bar.bottom - bar.top;
    MoveBoxAway();
    long expected = ExpectedBlocks(width, height, std::atol(step.words[1].c_str())), runs = -1;
    std::string name = step.words.size() > 2 ? step.words[2] : "progress";
    // The dialog repaints what the box covered in its own time: look a few times.
    for (int attempt = 0; attempt < 10 && runs != expected; ++attempt) {
        if (attempt > 0) Sleep(100);
        runs = CountBlocks(ShotBitmap(name), bar);
    }
    R.Log("  bar " + std::to_string(width) + "x" + std::to_string(height) + ": " +
          std::to_string(runs) + " blocks");
    if (runs != expected)
        Fail("the bar shows " + std::to_string(runs) + " blocks, expected " +
             std::to_string(expected));
}

void TypeText(const Step& step) {
    Need(step, 2);
    Dialog dialog = CurrentDialog();
    const Control* control = FindControl(dialog, Id(step.words[1]));
    if (control == nullptr) Fail("no control " + step.words[1]);
    if (!control->enabled) Fail("control " + step.words[1] + " is disabled");
    DWORD_PTR ignored;
    SendMessageTimeoutA(control->window, EM_SETSEL, 0, -1, SMTO_ABORTIFHUNG, 2000, &ignored);
    SendMessageTimeoutA(control->window, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(step.words[2].c_str()), SMTO_ABORTIFHUNG, 2000,
                        &ignored);
}

void ExpectExit(const Step& step, const PROCESS_INFORMATION& process, const std::string& name) {
    Need(step, 1);
    DWORD code = WaitForExit(process, name);
    R.Log("  " + name + " exit code " + std::to_string(static_cast<int>(code)));
    if (static_cast<int>(code) != Number(step.words[1]))
        Fail(name + " ended with " + std::to_string(static_cast<int>(code)) + ", expected " +
             step.words[1]);
}

// expect-text, -enabled, -visible, -checked, -class: ID VALUE
bool ExpectProperty(const Step& step) {
    static const std::map<std::string, std::pair<std::string, std::string (*)(const Control&)>>
        properties = {{"expect-text", {"text", ControlText}},
                      {"expect-enabled", {"enabled", ControlEnabled}},
                      {"expect-visible", {"visible", ControlVisible}},
                      {"expect-checked", {"checked", ControlChecked}},
                      {"expect-class", {"class", ControlClass}}};
    auto found = properties.find(step.words[0]);
    if (found == properties.end()) return false;
    Need(step, 2);
    if (found->first != "expect-text" && found->first != "expect-class") YesNo(step.words[2]);
    ExpectControl(Id(step.words[1]), found->second.first, step.words[2], found->second.second);
    return true;
}

// expect-style ID BITS: the control's style has every bit of BITS.
void ExpectStyle(const Step& step) {
    Need(step, 2);
    DWORD bits = static_cast<DWORD>(std::strtoul(step.words[2].c_str(), nullptr, 0));
    const Control* control = FindControl(CurrentDialog(), Id(step.words[1]));
    if (control == nullptr) Fail("no control " + step.words[1]);
    if ((control->style & bits) != bits) {
        char text[96];
        std::snprintf(text, sizeof text, "style %08lx lacks bits %08lx",
                      static_cast<unsigned long>(control->style), static_cast<unsigned long>(bits));
        Fail(text);
    }
}

void ExpectCaption(const Step& step) {
    Need(step, 1);
    std::string found;
    WaitFor(
        [&] {
            Dialog dialog;
            found = FindActiveDialog(FirstId(), dialog) ? dialog.caption : "(no dialog)";
            return found == step.words[1];
        },
        [&] { return "caption " + Quote(step.words[1]) + ", found " + Quote(found); });
}

// answer-box BUTTON: presses the button in the message box that is up, and waits until the box
// is destroyed: a box is hidden when answered but runs its own message loop until then, and a
// click the next step posts must reach the program's loop, never the closing box's.
void AnswerBox(const Step& step) {
    Need(step, 1);
    Dialog box = CurrentBox();
    Press(box, Id(step.words[1]));
    WaitFor([&] { return !Running(R.first) || !IsWindow(box.window); },
            [] { return std::string("the message box to be destroyed after the answer"); });
}

void MinimiseBackdrop(const Step&) {
    HWND backdrop = Backdrop();
    PostMessageA(backdrop, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    WaitFor([&] { return IsIconic(backdrop) != FALSE; },
            [] { return std::string("the backdrop to be minimised"); });
}

// resize-backdrop WIDTH HEIGHT
void ResizeBackdrop(const Step& step) {
    Need(step, 2);
    HWND backdrop = Backdrop();
    int width = Number(step.words[1]), height = Number(step.words[2]);
    SetWindowPos(backdrop, nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor(
        [&] {
            RECT r;
            GetWindowRect(backdrop, &r);
            return r.right - r.left == width && r.bottom - r.top == height;
        },
        [] { return std::string("the backdrop to take its new size"); });
}

// expect-iconic yes|no
void ExpectIconic(const Step& step) {
    Need(step, 1);
    bool iconic = YesNo(step.words[1]);
    HWND backdrop = Backdrop();
    WaitFor(
        [&] { return (IsIconic(backdrop) != FALSE) == iconic; },
        [&] { return std::string("the backdrop ") + (iconic ? "minimised" : "not minimised"); });
}

// expect-backdrops N
void ExpectBackdrops(const Step& step) {
    Need(step, 1);
    int count = CountBackdrops();
    if (count != Number(step.words[1]))
        Fail(std::to_string(count) + " backdrop windows, expected " + step.words[1]);
}

// when-up DIALOG: waits for the dialog, polled often since it may be up briefly.
void WhenUp(const Step& step) {
    Need(step, 1);
    AwaitDialog(Id(step.words[1]), 1);
}

// The steps a scenario may take, by their first word.
using StepHandler = void (*)(const Step&);
const std::map<std::string, StepHandler>& StepHandlers() {
    static const std::map<std::string, StepHandler> handlers = {
        {"start", [](const Step&) { R.first = StartSetup(); }},
        {"start-second", [](const Step&) { R.second = StartSetup(); }},
        {"run", RunProgram},
        {"hold-file", HoldFile},
        {"release-file", [](const Step&) { ReleaseFile(); }},
        {"expect-window", ExpectWindow},
        {"move-box-away", [](const Step&) { MoveBoxAway(); }},
        {"expect-dialog", ExpectDialog},
        {"expect-caption", ExpectCaption},
        {"expect-style", ExpectStyle},
        {"expect-placed", ExpectPlaced},
        {"expect-backdrop", ExpectBackdrop},
        {"drag-to-corner", [](const Step&) { DragToCorner(); }},
        {"expect-inside", [](const Step&) { ExpectInside(); }},
        {"expect-box", ExpectBox},
        {"click", Click},
        {"answer-box", AnswerBox},
        {"type", TypeText},
        {"close-backdrop",
         [](const Step&) { PostMessageA(Backdrop(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"minimise-backdrop", MinimiseBackdrop},
        {"resize-backdrop", ResizeBackdrop},
        {"expect-iconic", ExpectIconic},
        {"expect-backdrops", ExpectBackdrops},
        {"expect-exit", [](const Step& step) { ExpectExit(step, R.first, "SETUP.EXE"); }},
        {"expect-second-exit",
         [](const Step& step) { ExpectExit(step, R.second, "the second SETUP.EXE"); }},
        {"screenshot",
         [](const Step& step) {
             Need(step, 1);
             Screenshot(step.words[1], "png");
         }},
        {"expect-gradient", ExpectGradient},
        {"swap-disk",
         [](const Step& step) {
             Need(step, 1);
             SwapDisk(Number(step.words[1]));
         }},
        {"watch", Watch},
        {"when-up", WhenUp},
        {"expect-progress", ExpectProgress},
        {"press-when-up", PressWhenUp},
        {"grow-drive",
         [](const Step&) { AskHost("grow", "", "grow.done", "more room on the small drive"); }},
        {"dump", [](const Step&) { LogDialog(CurrentDialog()); }},
        {"timeout",
         [](const Step& step) {
             Need(step, 1);
             R.timeoutMs = static_cast<DWORD>(Number(step.words[1]));
         }},
    };
    return handlers;
}

void RunStep(const Step& step) {
    if (ExpectProperty(step)) return;
    auto handler = StepHandlers().find(step.words[0]);
    if (handler == StepHandlers().end()) Fail("unknown step " + step.words[0]);
    handler->second(step);
}

void KillProcess(PROCESS_INFORMATION& process) {
    if (Running(process)) {
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    }
}

// Ends both copies of SETUP.EXE, so that a stale one does not disturb the next scenario.
void KillBoth() {
    KillProcess(R.first);
    KillProcess(R.second);
}

// Runs every step; on the first failure dumps the screen and ends SETUP.EXE.
int RunScenario(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        R.Log("step " + std::to_string(step.line) + ": " + step.text);
        try {
            RunStep(step);
        } catch (const StepFailed& failure) {
            R.Log("FAILED at line " + std::to_string(step.line) + ": " + failure.what());
            std::fprintf(stderr, "line %d: %s: %s\n", step.line, step.text.c_str(), failure.what());
            if (R.first.hProcess != nullptr) {
                R.Log("on screen:");
                for (const std::string& line : DescribeProcess(R.first.dwProcessId))
                    R.Log("  " + line);
            }
            KillBoth();
            return 1;
        }
    }
    if (Running(R.first) || Running(R.second)) {
        R.Log("FAILED: SETUP.EXE still runs at the end of the scenario");
        KillBoth();
        return 1;
    }
    R.Log("passed");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--probe") return 0;
    if (argc != 4) {
        std::fprintf(stderr, "usage: robot SCENARIO SETUP-EXE ARTIFACT-DIR | robot --probe\n");
        return 2;
    }
    R.setupPath = argv[2];
    R.artifacts = argv[3];
    R.transcript.open(R.artifacts + "\\transcript.txt");
    std::vector<Step> steps;
    std::string error;
    if (!ReadScenario(argv[1], steps, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    R.templates = ReadDialogTemplates(R.setupPath);
    if (R.templates.empty()) {
        std::fprintf(stderr, "no dialog templates in %s\n", R.setupPath.c_str());
        return 2;
    }
    return RunScenario(steps);
}

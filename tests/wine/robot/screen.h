// What the robot sees of SETUP.EXE: its backdrop, the dialog or message box that is up, each
// control's id, class, text, state and place, and the dialog templates in its resources.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct Control {
    HWND window = nullptr;
    int id = 0; // as a 16-bit signed number, so the templates' -1 reads as -1
    std::string className;
    std::string text;
    bool enabled = false;
    bool visible = false;
    bool checked = false; // radio buttons and check boxes
    DWORD style = 0;
    RECT rect = {}; // as its dialog's rect: screen coordinates in a box, else the backdrop's
};

struct Dialog {
    HWND window = nullptr;
    bool box = false; // a top-level dialog (message box or modal dialog) rather than a child
    std::string caption;
    bool enabled = false;
    RECT rect = {}; // screen coordinates for a box, else client coordinates of the backdrop
    std::vector<Control> controls;
};

// The class of every dialog and message box.
constexpr char DialogClass[] = "#32770";

// What the robot recognises a dialog by: its caption and its controls' ids in creation order.
struct DialogTemplate {
    std::string caption;
    std::vector<int> ids; // as 16-bit signed numbers, like Control::id
};

// Reads every dialog template of the program at path. Empty when it has none or cannot be read.
std::map<int, DialogTemplate> ReadDialogTemplates(const std::string& path);

// The backdrop of process processId (class AtoaClass), or null.
HWND FindBackdrop(DWORD processId);
// Top-level windows of class AtoaClass, of any process.
int CountBackdrops();
// The dialog a user would act on: a visible, enabled top-level dialog of the process (message
// box, modal dialog), else a visible dialog child of the backdrop. False when there is none.
bool FindActiveDialog(DWORD processId, Dialog& dialog);
// Whether the process shows a top-level dialog with this caption, enabled or not (a box may
// cover it).
bool ShowsTopLevelDialog(DWORD processId, const std::string& caption);
// The text of a window of another process (WM_GETTEXT works for edit controls too).
std::string WindowText(HWND window);

// Whether the dialog's control ids, in order, and caption are those of the template.
bool MatchesTemplate(const Dialog& dialog, const DialogTemplate& dialogTemplate);
// Text lines describing the dialog, for the transcript.
std::vector<std::string> Describe(const Dialog& dialog);
// Text lines describing every top-level window of the process and the backdrop's children.
std::vector<std::string> DescribeProcess(DWORD processId);
// Quotes text for the transcript, with \n for line feeds and \" for quotes.
std::string Quote(const std::string& text);

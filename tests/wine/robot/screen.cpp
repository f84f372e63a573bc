// Reading the windows and dialog templates of SETUP.EXE from the robot's process.
#include "screen.h"

#include <cstdio>

namespace {

std::string Narrow(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// Walks the template's words, never past end.
struct TemplateReader {
    const BYTE* start;
    const BYTE* at;
    const BYTE* end;
    bool ok = true;

    WORD Word() {
        if (at + 2 > end) {
            ok = false;
            return 0;
        }
        WORD value = static_cast<WORD>(at[0] | at[1] << 8);
        at += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | static_cast<DWORD>(Word()) << 16;
    }
    std::wstring Text() {
        std::wstring text;
        for (WORD c = Word(); ok && c != 0; c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    // A name or number field: 0 none, 0xFFFF then a number, else a text.
    std::string NameOrNumber() {
        WORD first = Word();
        if (first == 0) return "";
        if (first == 0xFFFF) return "#" + std::to_string(Word());
        at -= 2;
        return Narrow(Text().c_str());
    }
    // Steps over count bytes; past the end it stops there and clears ok.
    void Skip(size_t count) {
        if (count > static_cast<size_t>(end - at)) {
            ok = false;
            at = end;
            return;
        }
        at += count;
    }
    void AlignDword() { Skip((4 - static_cast<size_t>(at - start) % 4) % 4); }
};

// Reads the caption and the control ids of a DLGTEMPLATE or DLGTEMPLATEEX, skipping the rest.
bool ParseTemplate(const BYTE* data, DWORD size, DialogTemplate& out) {
    TemplateReader r{data, data, data + size};
    bool extended = r.Word() == 1 && r.Word() == 0xFFFF;
    r.at = data;
    if (extended) r.Skip(12); // version, signature, help id, extended style
    DWORD style = r.Dword();
    if (!extended) r.Skip(4); // extended style
    WORD count = r.Word();
    r.Skip(8);        // x, y, cx, cy
    r.NameOrNumber(); // menu
    r.NameOrNumber(); // class
    out.caption = Narrow(r.Text().c_str());
    if (style & (DS_SETFONT | DS_SHELLFONT)) {
        r.Word();                // point size
        if (extended) r.Skip(4); // weight, italic, character set
        r.Text();
    }
    for (WORD i = 0; i < count && r.ok; ++i) {
        r.AlignDword();
        r.Skip(extended ? 12 : 8); // (help id,) style and extended style
        r.Skip(8);                 // x, y, cx, cy
        int id = static_cast<short>(extended ? r.Dword() : r.Word());
        r.NameOrNumber(); // class
        r.NameOrNumber(); // text
        r.Skip(r.Word()); // creation data, after its size
        out.ids.push_back(id);
    }
    return r.ok;
}

BOOL CALLBACK CollectDialogName(HMODULE module, LPCSTR, LPSTR name, LONG_PTR param) {
    if (!IS_INTRESOURCE(name)) return TRUE;
    auto* templates = reinterpret_cast<std::map<int, DialogTemplate>*>(param);
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(5)); // RT_DIALOG
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    DialogTemplate dialogTemplate;
    if (data && ParseTemplate(data, SizeofResource(module, found), dialogTemplate))
        (*templates)[static_cast<int>(reinterpret_cast<ULONG_PTR>(name))] = dialogTemplate;
    return TRUE;
}

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A rectangle in client coordinates of backdrop (screen coordinates when it is null).
RECT RelativeRect(HWND window, HWND backdrop) {
    RECT rect;
    GetWindowRect(window, &rect);
    if (backdrop != nullptr) MapWindowPoints(nullptr, backdrop, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string RectText(const RECT& r) {
    char text[96];
    std::snprintf(text, sizeof text, "%ld,%ld %ldx%ld", static_cast<long>(r.left),
                  static_cast<long>(r.top), static_cast<long>(r.right - r.left),
                  static_cast<long>(r.bottom - r.top));
    return text;
}

// Reads a dialog window and its direct children, in their creation order.
void ReadDialog(HWND window, HWND backdrop, bool box, Dialog& dialog) {
    dialog = Dialog{};
    dialog.window = window;
    dialog.box = box;
    dialog.caption = WindowText(window);
    dialog.enabled = IsWindowEnabled(window) != FALSE;
    dialog.rect = RelativeRect(window, box ? nullptr : backdrop);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        Control control;
        control.window = child;
        control.id = static_cast<short>(GetDlgCtrlID(child));
        control.className = ClassName(child);
        control.text = WindowText(child);
        control.enabled = IsWindowEnabled(child) != FALSE;
        control.visible = IsWindowVisible(child) != FALSE;
        control.style = static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE));
        DWORD_PTR state = 0;
        if (control.className == "Button" &&
            SendMessageTimeoutA(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state))
            control.checked = state == BST_CHECKED;
        control.rect = RelativeRect(child, box ? nullptr : backdrop);
        dialog.controls.push_back(control);
    }
}

} // namespace

std::map<int, DialogTemplate> ReadDialogTemplates(const std::string& path) {
    std::map<int, DialogTemplate> templates;
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return templates;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(5), CollectDialogName,
                       reinterpret_cast<LONG_PTR>(&templates));
    FreeLibrary(module);
    return templates;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 2000, &length))
        return "";
    return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

HWND FindBackdrop(DWORD processId) {
    for (HWND window : ProcessWindows(processId))
        if (ClassName(window) == "AtoaClass") return window;
    return nullptr;
}

int CountBackdrops() {
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "AtoaClass", nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, "AtoaClass", nullptr))
        ++count;
    return count;
}

bool FindActiveDialog(DWORD processId, Dialog& dialog) {
    HWND backdrop = FindBackdrop(processId);
    for (HWND window : ProcessWindows(processId)) {
        if (ClassName(window) == DialogClass && IsWindowVisible(window) &&
            IsWindowEnabled(window)) {
            ReadDialog(window, backdrop, true, dialog);
            return true;
        }
    }
    if (backdrop == nullptr) return false;
    for (HWND child = FindWindowExA(backdrop, nullptr, DialogClass, nullptr); child != nullptr;
         child = FindWindowExA(backdrop, child, DialogClass, nullptr)) {
        if (IsWindowVisible(child)) {
            ReadDialog(child, backdrop, false, dialog);
            return true;
        }
    }
    return false;
}

bool ShowsTopLevelDialog(DWORD processId, const std::string& caption) {
    for (HWND window : ProcessWindows(processId))
        if (ClassName(window) == DialogClass && IsWindowVisible(window) &&
            WindowText(window) == caption)
            return true;
    return false;
}

bool MatchesTemplate(const Dialog& dialog, const DialogTemplate& dialogTemplate) {
    if (dialog.caption != dialogTemplate.caption) return false;
    if (dialog.controls.size() != dialogTemplate.ids.size()) return false;
    for (size_t i = 0; i < dialog.controls.size(); ++i)
        if (dialog.controls[i].id != dialogTemplate.ids[i]) return false;
    return true;
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

std::vector<std::string> Describe(const Dialog& dialog) {
    std::vector<std::string> lines;
    lines.push_back(std::string(dialog.box ? "box " : "dialog ") + Quote(dialog.caption) + " at " +
                    RectText(dialog.rect) + (dialog.enabled ? "" : " disabled"));
    for (const Control& c : dialog.controls) {
        char style[16];
        std::snprintf(style, sizeof style, "%08lx", static_cast<unsigned long>(c.style));
        lines.push_back("  control " + std::to_string(c.id) + " " + c.className + " " +
                        Quote(c.text) + (c.enabled ? " enabled" : " disabled") +
                        (c.visible ? " visible" : " hidden") + (c.checked ? " checked" : "") +
                        " style=" + style + " at " + RectText(c.rect));
    }
    return lines;
}

std::vector<std::string> DescribeProcess(DWORD processId) {
    std::vector<std::string> lines;
    HWND backdrop = FindBackdrop(processId);
    for (HWND window : ProcessWindows(processId)) {
        if (!IsWindowVisible(window)) continue;
        Dialog dialog;
        ReadDialog(window, backdrop, true, dialog);
        lines.push_back("window " + ClassName(window) + " " + Quote(dialog.caption) + " at " +
                        RectText(dialog.rect) + (dialog.enabled ? "" : " disabled"));
        if (window == backdrop) continue;
        for (const std::string& line : Describe(dialog))
            lines.push_back("  " + line);
    }
    if (backdrop != nullptr) {
        for (HWND child = GetWindow(backdrop, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            Dialog dialog;
            ReadDialog(child, backdrop, false, dialog);
            for (const std::string& line : Describe(dialog))
                lines.push_back("  " + line);
        }
    }
    return lines;
}

// Reading the windows and dialog templates of SETUP.EXE from the robot's process.
#include "screen.h"

#include <cstdio>

namespace {

const char DialogClass[] = "#32770";

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
    void AlignDword() {
        size_t offset = static_cast<size_t>(at - start);
        at += (4 - offset % 4) % 4;
    }
};

std::string ClassOfAtom(const std::string& name) {
    static const std::map<std::string, std::string> atoms = {
        {"#128", "Button"},  {"#129", "Edit"},      {"#130", "Static"},
        {"#131", "ListBox"}, {"#132", "ScrollBar"}, {"#133", "ComboBox"}};
    auto found = atoms.find(name);
    return found == atoms.end() ? name : found->second;
}

bool ParseTemplate(const BYTE* data, DWORD size, DialogTemplate& out) {
    TemplateReader r{data, data, data + size};
    bool extended = r.Word() == 1 && r.Word() == 0xFFFF;
    r.at = data;
    if (extended) r.at += 8; // version, signature, help id
    DWORD exStyle = 0;
    if (extended) {
        exStyle = r.Dword();
        out.style = r.Dword();
    } else {
        out.style = r.Dword();
        exStyle = r.Dword();
    }
    (void)exStyle;
    WORD count = r.Word();
    out.x = r.Word(), out.y = r.Word(), out.cx = r.Word(), out.cy = r.Word();
    r.NameOrNumber(); // menu
    r.NameOrNumber(); // class
    out.caption = Narrow(r.Text().c_str());
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        r.Word();                // point size
        if (extended) r.at += 4; // weight, italic, character set
        r.Text();
    }
    for (WORD i = 0; i < count && r.ok; ++i) {
        r.AlignDword();
        TemplateItem item;
        if (extended) {
            r.Dword(); // help id
            r.Dword(); // extended style
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            r.Dword();
        }
        item.x = r.Word(), item.y = r.Word(), item.cx = r.Word(), item.cy = r.Word();
        item.id = static_cast<short>(extended ? r.Dword() : r.Word());
        item.className = ClassOfAtom(r.NameOrNumber());
        item.text = r.NameOrNumber();
        WORD extra = r.Word();
        r.at += extra;
        out.items.push_back(item);
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

bool MatchesTemplate(const Dialog& dialog, const DialogTemplate& dialogTemplate) {
    if (dialog.caption != dialogTemplate.caption) return false;
    if (dialog.controls.size() != dialogTemplate.items.size()) return false;
    for (size_t i = 0; i < dialog.controls.size(); ++i)
        if (dialog.controls[i].id != dialogTemplate.items[i].id) return false;
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

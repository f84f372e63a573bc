// The small runtime of SETUP.EXE and UNINSTAL.EXE in place of the C and C++ libraries: the
// entry point, the memory and text functions the compiler and the code call, and operator
// new and delete over the process heap. It is linked into the two programs only (the unit
// tests keep the full libraries), and asks nothing of Windows that Windows 95 lacks.
//
// Compiled without the compiler's own knowledge of these functions, so that a loop in them
// is never turned back into a call of themselves.
#include <windows.h>

#include <cstddef>

extern "C" {

void* memcpy(void* target, const void* source, size_t count) {
    unsigned char* t = static_cast<unsigned char*>(target);
    const unsigned char* s = static_cast<const unsigned char*>(source);
    while (count-- > 0)
        *t++ = *s++;
    return target;
}

void* memmove(void* target, const void* source, size_t count) {
    unsigned char* t = static_cast<unsigned char*>(target);
    const unsigned char* s = static_cast<const unsigned char*>(source);
    if (t <= s || t >= s + count) return memcpy(target, source, count);
    while (count-- > 0)
        t[count] = s[count];
    return target;
}

void* memset(void* target, int value, size_t count) {
    unsigned char* t = static_cast<unsigned char*>(target);
    while (count-- > 0)
        *t++ = static_cast<unsigned char>(value);
    return target;
}

int memcmp(const void* a, const void* b, size_t count) {
    const unsigned char* x = static_cast<const unsigned char*>(a);
    const unsigned char* y = static_cast<const unsigned char*>(b);
    for (; count > 0; --count, ++x, ++y)
        if (*x != *y) return *x < *y ? -1 : 1;
    return 0;
}

void* memchr(const void* text, int value, size_t count) {
    const unsigned char* t = static_cast<const unsigned char*>(text);
    for (; count > 0; --count, ++t)
        if (*t == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(t);
    return nullptr;
}

size_t strlen(const char* text) {
    const char* end = text;
    while (*end != '\0')
        ++end;
    return static_cast<size_t>(end - text);
}

size_t strnlen(const char* text, size_t most) {
    size_t n = 0;
    while (n < most && text[n] != '\0')
        ++n;
    return n;
}

int strcmp(const char* a, const char* b) {
    while (*a != '\0' && *a == *b)
        ++a, ++b;
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    return x < y ? -1 : x > y ? 1 : 0;
}

int strncmp(const char* a, const char* b, size_t count) {
    for (; count > 0; --count, ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x != y) return x < y ? -1 : 1;
        if (x == '\0') break;
    }
    return 0;
}

char* strchr(const char* text, int value) {
    for (;; ++text) {
        if (*text == static_cast<char>(value)) return const_cast<char*>(text);
        if (*text == '\0') return nullptr;
    }
}

char* strrchr(const char* text, int value) {
    const char* found = nullptr;
    for (;; ++text) {
        if (*text == static_cast<char>(value)) found = text;
        if (*text == '\0') return const_cast<char*>(found);
    }
}

size_t strcspn(const char* text, const char* stops) {
    size_t n = 0;
    while (text[n] != '\0' && strchr(stops, text[n]) == nullptr)
        ++n;
    return n;
}

char* strstr(const char* text, const char* wanted) {
    size_t length = strlen(wanted);
    for (; *text != '\0' || length == 0; ++text) {
        if (strncmp(text, wanted, length) == 0) return const_cast<char*>(text);
        if (*text == '\0') break;
    }
    return nullptr;
}

// Functions registered to run at the end (destructors of static objects), last first.
constexpr int ExitSlots = 32;
void (*ExitFunctions[ExitSlots])();
int ExitCount;

int atexit(void (*function)()) {
    if (ExitCount == ExitSlots) return -1;
    ExitFunctions[ExitCount++] = function;
    return 0;
}

// Called by a pure virtual function that was somehow reached: there is nothing sound to do.
void __cxa_pure_virtual() {
    ExitProcess(3);
}

// The linker's list of static constructors: a -1 (or a count), the functions, then a null.
extern void (*__CTOR_LIST__[])();

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// The text after the program's own name on the command line.
LPSTR CommandTail() {
    char* p = GetCommandLineA();
    bool quoted = false;
    for (; *p != '\0' && (quoted || (*p != ' ' && *p != '\t')); ++p)
        if (*p == '"') quoted = !quoted;
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

// The entry point: the static constructors in the order the compiler listed them (the list
// is kept backwards), WinMain, the exit functions, and the process's end with WinMain's code.
__attribute__((force_align_arg_pointer)) void WinMainCRTStartup() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr)
        ++count;
    for (int i = count; i >= 1; --i)
        __CTOR_LIST__[i]();
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(), show);
    while (ExitCount > 0)
        ExitFunctions[--ExitCount]();
    ExitProcess(static_cast<UINT>(code));
}

} // extern "C"

// The heap of the process serves new and delete; a program that cannot have a block ends
// as a failure rather than go on with a null one.
void* operator new(size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
    if (block == nullptr) ExitProcess(3);
    return block;
}

void* operator new[](size_t size) {
    return operator new(size);
}

void operator delete(void* block) noexcept {
    if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void operator delete[](void* block) noexcept {
    operator delete(block);
}

void operator delete(void* block, size_t) noexcept {
    operator delete(block);
}

void operator delete[](void* block, size_t) noexcept {
    operator delete(block);
}

// The program group over DDE: one conversation per command, failures dropped silently.
#include "install/win32/program_group_dde.h"

#include "base/win32/window_state.h"
#include "install/program_group.h"

#include <ddeml.h>

#include <cstring>

namespace {

// The DDE callback: answers 0 to every transaction and does nothing else.
HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

// Sends command in a conversation of its own with service and topic "PROGMAN" (15 s timeout).
// True when the execute transaction succeeded; nobody relies on it.
bool SendProgmanCommand(DWORD instance, const char* command) {
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, service, nullptr);
    HDDEDATA result = nullptr;
    if (conversation != nullptr) {
        DWORD ignored = 0;
        DWORD length = static_cast<DWORD>(std::strlen(command) + 1); // the terminator is sent
        result =
            DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)), length,
                                 conversation, nullptr, CF_TEXT, XTYP_EXECUTE, 15000, &ignored);
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, service);
    return result != nullptr;
}

// Sends count commands, each in a conversation of its own. raiseBackdrop: the program manager
// comes forward on creating the group and adding the program's item (commands 1 and 3); the
// backdrop takes the front again after each.
void SendProgmanCommands(const char (*commands)[ProgramGroupCommandSize], int count,
                         bool raiseBackdrop) {
    DWORD instance = 0;
    if (DdeInitializeA(&instance, DdeClientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return;
    for (int i = 0; i < count; ++i) {
        if (commands[i][0] == '\0') continue; // its names cannot be carried
        SendProgmanCommand(instance, commands[i]);
        if (raiseBackdrop && (i == 0 || i == 2)) SetActiveWindow(BackdropWindow);
    }
    DdeUninitialize(instance);
}

// The command texts, 5000 bytes kept off the stack.
char Commands[MaxProgramGroupCommands][ProgramGroupCommandSize];

} // namespace

void CreateProgramGroup() {
    SendProgmanCommands(Commands, BuildProgramGroupCommands(Commands), true);
}

void RemoveProgramItems() {
    SendProgmanCommands(Commands, BuildProgramItemRemovalCommands(Commands), false);
}

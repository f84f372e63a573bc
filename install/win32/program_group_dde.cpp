// The program group over DDE: one conversation per command, failures dropped silently.
#include "install/win32/program_group_dde.h"

#include "install/program_group.h"
#include "shell/win32/shell_state.h"

#include <cstring>

namespace {
DWORD DdeInstance;
} // namespace

HDDEDATA CALLBACK DdeClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

bool SendProgmanCommand(DWORD instance, const char* command) {
    HSZ service = DdeCreateStringHandleA(instance, "PROGMAN", CP_WINANSI);
    HCONV conversation = DdeConnect(instance, service, service, nullptr);
    HDDEDATA result = nullptr;
    if (conversation != nullptr) {
        DWORD ignored = 0;
        DWORD length = static_cast<DWORD>(std::strlen(command) + 1); // the terminator is sent
        result = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command)), length,
                                      conversation, nullptr, CF_TEXT, XTYP_EXECUTE, 15000, &ignored);
        DdeDisconnect(conversation);
    }
    DdeFreeStringHandle(instance, service);
    return result != nullptr;
}

void CreateProgramGroup() {
    DdeInstance = 0;
    if (DdeInitializeA(&DdeInstance, DdeClientCallback, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR)
        return;
    static char commands[MaxProgramGroupCommands][ProgramGroupCommandSize];
    int count = BuildProgramGroupCommands(commands);
    for (int i = 0; i < count; ++i) {
        SendProgmanCommand(DdeInstance, commands[i]);
        // The program manager comes forward on creating the group and adding the program's
        // item; the backdrop takes the front again.
        if (i == 0 || i == 2) SetActiveWindow(BackdropWindow);
    }
    DdeUninitialize(DdeInstance);
    DdeInstance = 0;
}

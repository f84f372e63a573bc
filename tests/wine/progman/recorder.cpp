// A stand-in program manager for the end-to-end tests: answers DDE on service and topic
// "PROGMAN", appends every execute command it receives to a log file (one line each) and
// acknowledges it. Runs until the stop file appears or its time runs out.
//   progman-recorder LOGFILE STOPFILE [SECONDS]
#include <windows.h>

// The DDE management library's declarations use the types of windows.h.
#include <ddeml.h>

#include <cstdio>
#include <cstdlib>

namespace {

DWORD Instance;
HSZ Progman;
const char* LogPath;

void Record(HDDEDATA data) {
    DWORD size = DdeGetData(data, nullptr, 0, 0);
    char* text = static_cast<char*>(std::calloc(size + 1, 1));
    if (text == nullptr) return;
    DdeGetData(data, reinterpret_cast<LPBYTE>(text), size, 0);
    if (FILE* log = std::fopen(LogPath, "ab")) {
        std::fprintf(log, "%s\n", text);
        std::fclose(log);
    }
    std::free(text);
}

HDDEDATA CALLBACK Callback(UINT type, UINT, HCONV, HSZ topic, HSZ, HDDEDATA data, ULONG_PTR,
                           ULONG_PTR) {
    switch (type) {
    case XTYP_CONNECT: return reinterpret_cast<HDDEDATA>(DdeCmpStringHandles(topic, Progman) == 0);
    case XTYP_EXECUTE: Record(data); return reinterpret_cast<HDDEDATA>(DDE_FACK);
    default: return nullptr;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: progman-recorder LOGFILE STOPFILE [SECONDS]\n");
        return 1;
    }
    LogPath = argv[1];
    const char* stopPath = argv[2];
    DWORD limit = (argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) : 120) * 1000;
    if (DdeInitializeA(&Instance, Callback, APPCLASS_STANDARD, 0) != DMLERR_NO_ERROR) return 2;
    Progman = DdeCreateStringHandleA(Instance, "PROGMAN", CP_WINANSI);
    if (DdeNameService(Instance, Progman, nullptr, DNS_REGISTER) == nullptr) return 3;
    // The log file exists from the moment the service is up, which the test waits for.
    if (FILE* ready = std::fopen(LogPath, "ab")) std::fclose(ready);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limit &&
           GetFileAttributesA(stopPath) == INVALID_FILE_ATTRIBUTES) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    DdeNameService(Instance, Progman, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(Instance, Progman);
    DdeUninitialize(Instance);
    return 0;
}

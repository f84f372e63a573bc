// Fuzz target: a whole installation of an arbitrary package. The input is split into a
// catalogue and the Volumes of two disks (each part preceded by its u32 length, the last part
// taking the rest); the transfer runs into a scratch drive C: with every question answered,
// then the scratch files are removed.
#include "fuzz/fuzz_support.h"

#include "base/paths.h"
#include "base/problem.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "install/transfer_screen.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "platform/posix/posix_platform.h"

#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

// The transfer's screen: nothing to show, nobody halts.
bool BeginTransferScreen() {
    return true;
}
void ShowTransferName(const char*) {}
void UpdateProgress(int) {}
int32_t PumpTransferMessages() {
    return 0;
}
int32_t TransferDialogResult() {
    return 0;
}
void EndTransferScreen() {}

namespace {

// Takes the next part of the input: a u32 length, then that many bytes (cut at the end).
bool NextPart(const uint8_t*& data, size_t& size, const uint8_t** part, size_t* length) {
    if (size < 4) return false;
    uint32_t n;
    std::memcpy(&n, data, 4);
    data += 4;
    size -= 4;
    *length = n < size ? n : size;
    *part = data;
    data += *length;
    size -= *length;
    return true;
}

// Disk prompts in this run: the prompt repeats for as long as the wrong disk is in, so after a
// few the answer is Cancel, as a user would give up.
int DiskPrompts;

// Expanded files are written to the scratch drive; after this many writes in one run (about
// 512 KB of the output writer's blocks) every write fails, so a size prefix that claims
// gigabytes costs a write-error answer instead of the fuzzer's time and disk.
constexpr int32_t WritesPerRun = 16;

// The disk prompt for disk 2 maps A: to the second disk's folder; everything else is refused.
// A failed write leaves every later write of the run failing too.
int AnswerForInstall(PlatformWindow, const char* text, const char*, uint32_t type) {
    if (LastProblem.fault == ProblemFault::WriteFailed) PosixFaultPlan().failWriteAfter = 0;
    if ((type & 0x0F) == BoxOkCancel) {
        if (++DiskPrompts > 4) return AnswerCancel;
        bool second = std::strstr(text, "disk 2") != nullptr;
        PosixMapDrive('A', FuzzDrive() + (second ? "/disk2" : "/disk1"));
        return AnswerOk;
    }
    switch (type & 0x0F) {
    case BoxAbortRetryIgnore: return AnswerIgnore;
    case BoxYesNo: return AnswerNo;
    case BoxOk: return AnswerOk;
    default: return AnswerCancel;
    }
}

void Reset(const std::string& root) {
    std::error_code ignored;
    for (const char* dir : {"/disk1", "/disk2", "/c"})
        fs::remove_all(root + dir, ignored);
    fs::create_directories(root + "/disk1");
    fs::create_directories(root + "/disk2");
    fs::create_directories(root + "/c/WINDOWS/SYSTEM");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& root = FuzzDrive();
    const uint8_t *catalogue, *volume1, *volume2 = data;
    size_t catalogueSize, volume1Size, volume2Size = 0;
    if (!NextPart(data, size, &catalogue, &catalogueSize) ||
        !NextPart(data, size, &volume1, &volume1Size))
        return 0;
    volume2 = data;
    volume2Size = size;
    Reset(root);
    FuzzWriteFile("disk1/SETUP.bin", catalogue, catalogueSize);
    PosixMapDrive('A', root + "/disk1");
    PosixMapDrive('C', root + "/c");
    PosixSetWindowsDirectory("C:\\WINDOWS");
    PosixSetSystemDirectory("C:\\WINDOWS\\SYSTEM");
    PlatformSetMessageBoxHook(AnswerForInstall);
    PlatformOverrideProgramPath("A:\\SETUP.EXE");
    if (LoadCatalogue() == StatusOk) {
        // The Volume's name as the reader forms it.
        char volumeName[PathSize] = {};
        CopyText(volumeName, PathSize, CatalogueProgramName());
        ReplaceExtension(volumeName, PathSize, ".dat");
        std::string name = volumeName;
        // The Volumes are written on the host under the program's name: only a plain name is
        // used, so no input can place them outside the scratch folder.
        bool plain = name.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_-.") == std::string::npos &&
                     name.find("..") == std::string::npos;
        if (plain) {
            FuzzWriteFile("disk1/" + name, volume1, volume1Size);
            FuzzWriteFile("disk2/" + name, volume2, volume2Size);
        }
        std::strcpy(InstallDir, "C:\\APP\\");
        PlatformMakeDirectory("C:\\APP");
        ResetUninstallerName();
        DiskPrompts = 0;
        ClearProblem();
        PosixFaultPlan().failWriteAfter = WritesPerRun;
        if (PrepareVolumeReader() == StatusOk) RunTransfer();
        PosixClearFaults();
        ReleaseVolumeReader();
    }
    ReleaseCatalogue();
    return 0;
}

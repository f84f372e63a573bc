// Packages for the installation tests, written with the project's encoder.
#include "tests/support/test_package.h"

#include "base/paths.h"
#include "install/target_file.h"
#include "install/transfer.h"
#include "lzhuf/encoder.h"
#include "package/catalogue.h"
#include "package/volume.h"
#include "tests/support/catalogue_bytes.h"

#include <cstdio>
#include <map>

namespace {
const Sandbox* ActiveBox = nullptr;
std::string ActiveBase;
std::string ActiveVolumeName;
} // namespace

std::vector<uint8_t> PatternBytes(size_t length, uint8_t seed) {
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + seed + i / 251);
    return bytes;
}

void WriteTestPackage(const Sandbox& box, const TestPackage& package, const std::string& base) {
    std::map<uint16_t, std::vector<uint8_t>> volumes;
    std::vector<RecordSpec> records;
    for (const TestFile& file : package.files) {
        std::vector<uint8_t>& volume = volumes[file.disk];
        if (volume.empty())
            volume = {static_cast<uint8_t>(file.disk), static_cast<uint8_t>(file.disk >> 8)};
        std::vector<uint8_t> stream = EncodeStoredStream(file.bytes.data(), file.bytes.size());
        RecordSpec record;
        record.name = file.name;
        record.flags = file.flags;
        record.sizeKb = static_cast<uint16_t>((file.bytes.size() + 1023) / 1024);
        record.versionMs = file.versionMs;
        record.versionLs = file.versionLs;
        size_t first = file.spanDisk ? stream.size() / 2 : stream.size();
        record.segments = {
            {file.disk, static_cast<uint32_t>(volume.size()), static_cast<uint32_t>(first)}};
        volume.insert(volume.end(), stream.begin(), stream.begin() + first);
        if (file.spanDisk) {
            std::vector<uint8_t>& next = volumes[file.spanDisk];
            if (next.empty())
                next = {static_cast<uint8_t>(file.spanDisk),
                        static_cast<uint8_t>(file.spanDisk >> 8)};
            record.segments.push_back({file.spanDisk, static_cast<uint32_t>(next.size()),
                                       static_cast<uint32_t>(stream.size() - first)});
            next.insert(next.end(), stream.begin() + first, stream.end());
        }
        records.push_back(record);
    }
    std::string volumeName = package.program.substr(0, package.program.rfind('.')) + ".dat";
    box.Write(base + "disk1\\SETUP.bin",
              CatalogueBytes(package.magic, package.program, package.title, records));
    if (volumes.count(1) == 0) volumes[1] = {1, 0};
    for (const auto& [disk, bytes] : volumes)
        box.Write(base + "disk" + std::to_string(disk) + "\\" + volumeName, bytes);
}

int InstallTestPackage(const Sandbox& box, const TestPackage& package, const std::string& base,
                       const std::string& dest) {
    WriteTestPackage(box, package, base);
    ActiveBox = &box;
    ActiveBase = base;
    ActiveVolumeName = package.program.substr(0, package.program.rfind('.')) + ".dat";
    box.MakeDirectory(base + "drive");
    InsertTestDisk(1);
    PlatformOverrideProgramPath((base + "drive\\SETUP.EXE").c_str());
    int status = LoadCatalogue();
    CopyText(InstallDir, PathSize, dest.c_str());
    ResetUninstallerName();
    if (status == 0) status = PrepareVolumeReader();
    return status;
}

void InsertTestDisk(int n) {
    const Sandbox& box = *ActiveBox;
    std::string drive = ActiveBase + "drive\\";
    std::string disk = ActiveBase + "disk" + std::to_string(n) + "\\";
    if (box.Exists(disk + ActiveVolumeName))
        box.Write(drive + ActiveVolumeName, box.Read(disk + ActiveVolumeName));
    if (n == 1) {
        box.Write(drive + "SETUP.bin", box.Read(disk + "SETUP.bin"));
    } else if (box.Exists(drive + "SETUP.bin")) {
        std::remove(Sandbox::Host(drive + "SETUP.bin").c_str());
    }
}

void SwapDiskOnPrompt(const RecordedBox& box) {
    int n = 0;
    if (std::sscanf(box.text.c_str(), "Insert disk %d", &n) == 1) InsertTestDisk(n);
}

bool ReadOnlyIsEnforced(const Sandbox& box) {
    std::string probe = box.Path("read-only-probe");
    box.Write(probe, std::string("probe"));
    box.SetReadOnly(probe, true);
    PlatformFile file = PlatformCreate(probe.c_str());
    PlatformClose(file);
    box.SetReadOnly(probe, false);
    std::remove(Sandbox::Host(probe).c_str());
    return file == PlatformNoFile;
}

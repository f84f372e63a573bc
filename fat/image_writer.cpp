// Writing FAT12 floppy images: boot sector, FATs, root directory with long names where
// needed, and the files' bytes in consecutive clusters.
#include "fat/image_writer.h"

#include "base/bytes.h"

#include <algorithm>
#include <cstring>

namespace {

// bytes/sector, sectors/cluster, reserved, FATs, root entries, sectors, sectors/FAT, media,
// sectors/track, heads: the formats as DOS formats them.
FatGeometry Standard(uint32_t spc, uint32_t root, uint32_t total, uint32_t spf, uint32_t media,
                     uint32_t spt) {
    FatGeometry g;
    g.bytesPerSector = 512;
    g.sectorsPerCluster = spc;
    g.reservedSectors = 1;
    g.fatCount = 2;
    g.rootEntries = root;
    g.totalSectors = total;
    g.sectorsPerFat = spf;
    g.media = media;
    g.sectorsPerTrack = spt;
    g.heads = 2;
    DeriveLayout(&g);
    return g;
}

const FatGeometry Floppy720 = Standard(2, 112, 1440, 3, 0xF9, 9);
const FatGeometry Floppy1200 = Standard(1, 224, 2400, 7, 0xF9, 15);
const FatGeometry Floppy1440 = Standard(1, 224, 2880, 9, 0xF0, 18);
const FatGeometry Floppy2880 = Standard(2, 240, 5760, 9, 0xF0, 36);

constexpr uint32_t FixedDate = 1 << 5 | 1; // 1980-01-01, the first day a FAT date can hold
constexpr uint32_t MaxLongName = 255;

// Real-mode code at offset 0x3E, loaded at 0x7C00: prints the message at 0x5A with the BIOS,
// waits for a key and asks the BIOS to start from another disk.
const uint8_t BootCode[] = {
    0x31, 0xC0,       // xor ax, ax
    0x8E, 0xD8,       // mov ds, ax
    0xBE, 0x5A, 0x7C, // mov si, 0x7C5A
    0xFC,             // cld
    0xAC,             // print: lodsb
    0x08, 0xC0,       // or al, al
    0x74, 0x09,       // jz wait
    0xB4, 0x0E,       // mov ah, 0x0E
    0xBB, 0x07, 0x00, // mov bx, 7
    0xCD, 0x10,       // int 0x10
    0xEB, 0xF2,       // jmp print
    0x31, 0xC0,       // wait: xor ax, ax
    0xCD, 0x16,       // int 0x16
    0xCD, 0x19,       // int 0x19
};
const char BootMessage[] = "This disk holds setup files and cannot start the computer.\r\n"
                           "Insert a system disk and press a key.\r\n";

bool IsShortNameChar(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           (c >= 0x21 && c < 0x7F && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr);
}

bool IsLower(unsigned char c) {
    return c >= 'a' && c <= 'z';
}
unsigned char Upper(unsigned char c) {
    return IsLower(c) ? static_cast<unsigned char>(c - 32) : c;
}

// A part of a name that an 8.3 entry holds as it is, with a case flag: one case throughout.
bool FitsShortPart(const std::string& part, size_t limit, bool* lower) {
    if (part.size() > limit) return false;
    bool anyLower = false, anyUpper = false;
    for (unsigned char c : part) {
        if (!IsShortNameChar(Upper(c))) return false;
        anyLower |= IsLower(c);
        anyUpper |= c >= 'A' && c <= 'Z';
    }
    *lower = anyLower;
    return !(anyLower && anyUpper);
}

void PutShortPart(uint8_t* name11, const std::string& base, const std::string& extension) {
    std::memset(name11, ' ', 11);
    for (size_t i = 0; i < base.size() && i < 8; ++i)
        name11[i] = Upper(static_cast<unsigned char>(base[i]));
    for (size_t i = 0; i < extension.size() && i < 3; ++i)
        name11[8 + i] = Upper(static_cast<unsigned char>(extension[i]));
}

// Only letters, digits and the allowed marks; the rest as '_'.
std::string ShortNameChars(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == ' ' || c == '.') continue;
        out += IsShortNameChar(Upper(c)) ? static_cast<char>(Upper(c)) : '_';
    }
    return out;
}

// One file's directory entries: its short name, case flags, and whether it needs a long name.
struct NamedEntry {
    uint8_t name11[11];
    uint8_t caseFlags = 0;
    bool longName = false;
};

bool SameShortName(const std::vector<NamedEntry>& taken, const uint8_t* name11) {
    for (const NamedEntry& e : taken)
        if (std::memcmp(e.name11, name11, 11) == 0) return true;
    return false;
}

// The 8.3 entry for name: the name itself when it fits, else "BASIS~N.EXT" unlike those taken.
NamedEntry ShortEntryFor(const std::string& name, const std::vector<NamedEntry>& taken) {
    NamedEntry entry;
    size_t dot = name.rfind('.');
    std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
    bool lowerBase = false, lowerExtension = false;
    if (!base.empty() && FitsShortPart(base, 8, &lowerBase) &&
        FitsShortPart(extension, 3, &lowerExtension)) {
        PutShortPart(entry.name11, base, extension);
        entry.caseFlags = static_cast<uint8_t>((lowerBase ? CaseLowerBase : 0) |
                                               (lowerExtension ? CaseLowerExtension : 0));
        if (!SameShortName(taken, entry.name11)) return entry;
    }
    entry.caseFlags = 0;
    entry.longName = true;
    std::string basis = ShortNameChars(base).substr(0, 6);
    if (basis.empty()) basis = "_";
    extension = ShortNameChars(extension).substr(0, 3);
    for (int n = 1; n < 1000000; ++n) {
        std::string tail = "~" + std::to_string(n);
        PutShortPart(entry.name11, basis.substr(0, 8 - tail.size()) + tail, extension);
        if (!SameShortName(taken, entry.name11)) break;
    }
    return entry;
}

void PutDates(uint8_t* entry) {
    WriteU16(entry + 16, FixedDate); // created
    WriteU16(entry + 18, FixedDate); // last accessed
    WriteU16(entry + EntryDate, FixedDate);
}

// The long-name pieces for name, last piece first, as they precede the short entry.
void PutLongName(std::vector<uint8_t>& root, size_t* at, const std::string& name,
                 const uint8_t* name11) {
    static const uint32_t offsets[LongNameChars] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    uint32_t pieces = static_cast<uint32_t>((name.size() + LongNameChars - 1) / LongNameChars);
    uint8_t checksum = ShortNameChecksum(name11);
    for (uint32_t piece = pieces; piece >= 1; --piece) {
        uint8_t* entry = root.data() + *at;
        *at += DirectoryEntrySize;
        entry[0] = static_cast<uint8_t>(piece | (piece == pieces ? LongNameLast : 0));
        entry[EntryAttributes] = AttrLongName;
        entry[13] = checksum;
        for (uint32_t i = 0; i < LongNameChars; ++i) {
            size_t index = (piece - 1) * LongNameChars + i;
            // The name's characters, one 0 after them, then 0xFFFF padding.
            uint32_t c = index < name.size()    ? static_cast<unsigned char>(name[index])
                         : index == name.size() ? 0
                                                : 0xFFFF;
            WriteU16(entry + offsets[i], c);
        }
    }
}

std::string CheckNames(const std::vector<FloppyFile>& files) {
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i].name;
        if (name.empty() || name.size() > MaxLongName)
            return "the name \"" + name + "\" is " + std::to_string(name.size()) +
                   " characters; a FAT directory holds names of 1 to 255";
        for (unsigned char c : name)
            if (c < 0x20 || c == 0x7F || std::strchr("\"*/:<>?\\|", c) != nullptr)
                return "the name \"" + name + "\" holds a character a FAT directory cannot";
        for (size_t j = 0; j < i; ++j)
            if (std::equal(name.begin(), name.end(), files[j].name.begin(), files[j].name.end(),
                           [](unsigned char a, unsigned char b) { return Upper(a) == Upper(b); }))
                return "two files are named \"" + name + "\"";
    }
    return "";
}

void PutBootSector(const FatGeometry& g, const std::string& label, uint32_t serial, uint8_t* s) {
    const uint8_t jump[] = {0xEB, 0x3C, 0x90};
    std::memcpy(s, jump, sizeof jump);
    std::memcpy(s + 3, "DSKSETUP", 8);
    WriteU16(s + 11, g.bytesPerSector);
    s[13] = static_cast<uint8_t>(g.sectorsPerCluster);
    WriteU16(s + 14, g.reservedSectors);
    s[16] = static_cast<uint8_t>(g.fatCount);
    WriteU16(s + 17, g.rootEntries);
    WriteU16(s + 19, g.totalSectors);
    s[21] = static_cast<uint8_t>(g.media);
    WriteU16(s + 22, g.sectorsPerFat);
    WriteU16(s + 24, g.sectorsPerTrack);
    WriteU16(s + 26, g.heads);
    s[38] = 0x29; // the extended fields below are present
    WriteU32(s + 39, serial);
    std::string padded = (label.empty() ? "NO NAME" : label) + std::string(11, ' ');
    std::memcpy(s + 43, padded.data(), 11);
    std::memcpy(s + 54, "FAT12   ", 8);
    std::memcpy(s + 0x3E, BootCode, sizeof BootCode);
    std::memcpy(s + 0x5A, BootMessage, sizeof BootMessage);
    s[510] = 0x55;
    s[511] = 0xAA;
}

} // namespace

const FatGeometry* FloppyGeometry(uint32_t kb) {
    switch (kb) {
    case 720: return &Floppy720;
    case 1200: return &Floppy1200;
    case 1440: return &Floppy1440;
    case 2880: return &Floppy2880;
    default: return nullptr;
    }
}

uint64_t FloppyCapacity(const FatGeometry& g, uint32_t fileCount) {
    if (fileCount >= g.clusterCount) return 0;
    return uint64_t{g.clusterCount - fileCount} * g.clusterBytes;
}

std::string VolumeLabelFrom(const std::string& text) {
    std::string label;
    for (unsigned char c : text) {
        if (label.size() == 11) break;
        if (c == ' ' && label.empty()) continue;
        label += c == ' ' || IsShortNameChar(Upper(c)) ? static_cast<char>(Upper(c)) : '_';
    }
    label.erase(label.find_last_not_of(' ') + 1);
    return label;
}

std::string MakeFloppyImage(const FatGeometry& g, const std::string& label, uint32_t serial,
                            const std::vector<FloppyFile>& files, std::vector<uint8_t>* image) {
    std::string problem = CheckNames(files);
    if (!problem.empty()) return problem;
    std::vector<NamedEntry> names;
    uint64_t clusters = 0, entries = label.empty() ? 0 : 1;
    for (const FloppyFile& file : files) {
        names.push_back(ShortEntryFor(file.name, names));
        entries +=
            1 +
            (names.back().longName ? (file.name.size() + LongNameChars - 1) / LongNameChars : 0);
        clusters += (file.bytes->size() + g.clusterBytes - 1) / g.clusterBytes;
    }
    if (clusters > g.clusterCount)
        return "the files take " + std::to_string(clusters) + " clusters of " +
               std::to_string(g.clusterBytes) + " bytes; the disk holds " +
               std::to_string(g.clusterCount);
    if (entries > g.rootEntries)
        return "the files take " + std::to_string(entries) +
               " root directory entries; the disk holds " + std::to_string(g.rootEntries);

    std::vector<uint8_t> out(uint64_t{g.totalSectors} * g.bytesPerSector, 0);
    PutBootSector(g, label, serial, out.data());
    std::vector<uint8_t> fat(uint64_t{g.sectorsPerFat} * g.bytesPerSector, 0);
    SetFat12Entry(fat.data(), 0, 0xF00 | g.media);
    SetFat12Entry(fat.data(), 1, 0xFFF);
    std::vector<uint8_t> root(uint64_t{g.rootEntries} * DirectoryEntrySize, 0);
    size_t at = 0;
    if (!label.empty()) {
        std::string padded = label + std::string(11, ' ');
        std::memcpy(root.data(), padded.data(), 11);
        root[EntryAttributes] = AttrVolumeLabel;
        WriteU16(root.data() + EntryDate, FixedDate);
        at += DirectoryEntrySize;
    }
    uint32_t next = FirstDataCluster;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::vector<uint8_t>& bytes = *files[i].bytes;
        if (names[i].longName) PutLongName(root, &at, files[i].name, names[i].name11);
        uint8_t* entry = root.data() + at;
        at += DirectoryEntrySize;
        std::memcpy(entry, names[i].name11, 11);
        entry[EntryAttributes] = AttrArchive;
        entry[EntryCaseFlags] = names[i].caseFlags;
        PutDates(entry);
        WriteU32(entry + EntrySize, static_cast<uint32_t>(bytes.size()));
        uint32_t count =
            static_cast<uint32_t>((bytes.size() + g.clusterBytes - 1) / g.clusterBytes);
        if (count == 0) continue;
        WriteU16(entry + EntryFirstCluster, next);
        std::copy(bytes.begin(), bytes.end(),
                  out.begin() +
                      static_cast<std::ptrdiff_t>(
                          (g.dataSector + uint64_t{next - FirstDataCluster} * g.sectorsPerCluster) *
                          g.bytesPerSector));
        for (uint32_t c = 0; c < count; ++c, ++next)
            SetFat12Entry(fat.data(), next, c + 1 == count ? 0xFFF : next + 1);
    }
    for (uint32_t copy = 0; copy < g.fatCount; ++copy)
        std::copy(fat.begin(), fat.end(),
                  out.begin() +
                      static_cast<std::ptrdiff_t>((g.reservedSectors + copy * g.sectorsPerFat) *
                                                  g.bytesPerSector));
    std::copy(root.begin(), root.end(),
              out.begin() + static_cast<std::ptrdiff_t>(uint64_t{g.rootSector} * g.bytesPerSector));
    image->swap(out);
    return "";
}

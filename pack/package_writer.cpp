// Building a package in memory from a manifest, and writing it out disk by disk.
#include "pack/package_writer.h"

#include "base/bytes.h"
#include "base/name_safety.h"
#include "base/pe_version.h"
#include "install/progman_argument.h"
#include "lzhuf/encoder.h"
#include "pack/disk_layout.h"
#include "pack/pack_error.h"
#include "pack/package_output.h"
#include "package/catalogue.h"
#include "platform/posix/code_page.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr size_t MaxNameLength = HeaderProgramNameSize - 1; // 259: every path text's limit
constexpr size_t MaxTitleLength = HeaderTitleSize - 1;      // 79
constexpr uint32_t MaxRecordCount = 0xFFFF;
constexpr uint64_t MaxSizeKb = 0xFFFF;

// One record, everything but its Segments.
struct PendingRecord {
    std::string name; // ANSI
    uint16_t flags = 0;
    uint16_t sizeKb = 0;
    FileVersion version;
    std::vector<uint8_t> stream; // size prefix and bit stream
    // Bytes of the record without its Segment entries (the end entry counted).
    uint32_t FixedLength() const {
        return RecordFixedSize + static_cast<uint32_t>(name.size()) + 2 +
               ((flags & FlagSharedMask) ? 8 : 0) + SegmentSize;
    }
};

std::vector<uint8_t> ReadHostFile(const std::string& path, const std::string& what) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw PackError(what + ": " + path + " cannot be opened");
    std::error_code error;
    uintmax_t size = fs::file_size(path, error);
    if (error) throw PackError(what + ": " + path + " is not a readable file");
    std::vector<uint8_t> bytes(size);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (in.gcount() != static_cast<std::streamsize>(size))
        throw PackError(what + ": " + path + " cannot be read (" + std::to_string(in.gcount()) +
                        " of " + std::to_string(size) + " bytes)");
    return bytes;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

void CheckLength(const std::string& ansi, size_t limit, const std::string& what) {
    if (ansi.empty()) throw PackError(what + " is empty");
    if (ansi.size() > limit)
        throw PackError(what + " is " + std::to_string(ansi.size()) +
                        " characters; the catalogue holds at most " + std::to_string(limit));
}

// The header: magic, ProgramName and Title, each within its field, and the record count.
std::vector<uint8_t> HeaderBytes(const PackManifest& manifest, const std::string& program,
                                 const std::string& title, size_t recordCount) {
    std::vector<uint8_t> out(CatalogueHeaderSize, 0);
    if (manifest.insv) std::copy_n("INSV", 4, out.begin());
    std::copy(program.begin(), program.end(), out.begin() + 4);
    std::copy(title.begin(), title.end(), out.begin() + 4 + HeaderProgramNameSize);
    WriteU16(&out[344], static_cast<uint32_t>(recordCount));
    return out;
}

void AppendRecord(std::vector<uint8_t>& out, const PendingRecord& record,
                  const std::vector<PlannedPiece>& pieces) {
    AppendU16(out, record.FixedLength() + SegmentSize * static_cast<uint32_t>(pieces.size()));
    AppendU16(out, record.flags);
    AppendU16(out, record.sizeKb);
    out.insert(out.end(), record.name.begin(), record.name.end());
    out.push_back(0); // terminator
    out.push_back(0); // reserved byte
    if (record.flags & FlagSharedMask) {
        AppendU32(out, record.version.ms);
        AppendU32(out, record.version.ls);
    }
    for (const PlannedPiece& piece : pieces) {
        AppendU16(out, piece.disk);
        AppendU32(out, piece.offset);
        AppendU32(out, piece.length);
    }
    for (int i = 0; i < 5; ++i)
        AppendU16(out, 0); // end entry
}

// The installed size in KB, rounded up, as SizeKb holds it.
uint16_t SizeKbOf(uint64_t size, const std::string& what) {
    uint64_t sizeKb = (size + 1023) / 1024;
    if (sizeKb > MaxSizeKb)
        throw PackError(what + " is " + std::to_string(size) + " bytes, " + std::to_string(sizeKb) +
                        " KB; a record's size holds at most " + std::to_string(MaxSizeKb) + " KB");
    return static_cast<uint16_t>(sizeKb);
}

// The bytes of text as \xNN each.
std::string HexBytes(const std::string& text) {
    std::string out;
    for (char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        out += hex;
    }
    return out;
}

// UTF-8 text as single-byte ANSI in the package's code page. Throws PackError naming what and
// the bytes at fault for text that is not UTF-8, a character the code page cannot spell, or a
// control character.
std::string ToAnsi(const std::string& text, const std::string& what) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        auto lead = static_cast<unsigned char>(text[i]);
        size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        std::string character = text.substr(i, length), ansi;
        std::string at = " (byte " + std::to_string(i) + ")";
        if (!Utf8ToAnsi(character, &ansi)) {
            if (PrintableHost(character) != character)
                throw PackError(what + " is not UTF-8 text" + at);
            throw PackError(what + " holds " + HexBytes(character) + at +
                            ", a character that code page " + std::to_string(AnsiCodePage()) +
                            " cannot spell");
        }
        auto second = static_cast<unsigned char>(character.size() > 1 ? character[1] : 0);
        if (lead < 0x20 || lead == 0x7F || (lead == 0xC2 && second < 0xA0))
            throw PackError(what + " holds a control character" + at);
        out += ansi;
        i += length;
    }
    return out;
}

// Refuses a Name that Windows cannot hold or that would lead outside its place, by the rule the
// installation and the removal judge it by.
void CheckWindowsName(const std::string& ansi, const std::string& what) {
    if (!SafeCatalogueName(ansi.c_str(), true))
        throw PackError(what +
                        " is no name Windows can hold in its place (a device name such as CON or "
                        "AUX.TXT, a part ending in a dot or a space or empty, one of < > : \" | ? "
                        "*, a control character, or a UNC or drive-relative form such as C:FILE)");
}

// Flags, version and size of one file, from its manifest entry and its size; a shared file
// without a version in the manifest is read for its PE version resource.
PendingRecord DescribeFile(const ManifestFile& file, size_t index, uint64_t size) {
    std::string what = "file " + std::to_string(index + 1) + " (" + file.source + ")";
    PendingRecord record;
    std::string name = file.name;
    std::replace(name.begin(), name.end(), '/', '\\');
    record.name = ToAnsi(name, what + " name " + Quoted(file.name));
    CheckLength(record.name, MaxNameLength, what + " name " + Quoted(file.name));
    CheckWindowsName(record.name, what + " name " + Quoted(file.name));
    record.sizeKb = SizeKbOf(size, what);
    record.flags =
        static_cast<uint16_t>((file.install ? 0 : FlagNotInstalled) | (file.shared ? 0x0002 : 0));
    if (file.shared) {
        if (file.version) {
            record.version = *file.version;
        } else {
            std::vector<uint8_t> bytes =
                ReadHostFile(file.source, "file " + std::to_string(index + 1));
            if (!ReadPeFileVersion(bytes.data(), bytes.size(), &record.version.ms,
                                   &record.version.ls))
                throw PackError(what +
                                " is shared but has no PE version resource; give its version "
                                "(version = \"1.2.3.4\")");
        }
    }
    return record;
}

// Compresses a host file read a block at a time; the stream's size prefix is the file's size,
// and a file that is not that size by the time it has been read is refused.
std::vector<uint8_t> CompressHostFile(const std::string& path, const std::string& what, bool best) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         std::fclose);
    if (!file) throw PackError(what + ": " + path + " cannot be opened");
    std::error_code error;
    uintmax_t size = fs::file_size(path, error);
    if (error) throw PackError(what + ": " + path + " is not a readable file");
    std::vector<uint8_t> stream;
    VectorEncoderOutput output(stream);
    FileEncoderInput input(file.get());
    try {
        EncodeStream(input, size, output, best ? EncodeEffort::Best : EncodeEffort::Default);
    } catch (const std::runtime_error& e) {
        throw PackError(what + ": " + path + " cannot be read (" + e.what() + ")");
    }
    return stream;
}

void CheckDistinctNames(const std::vector<PendingRecord>& records) {
    std::set<std::string> seen;
    for (size_t i = 0; i < records.size(); ++i) {
        std::string key = records[i].name;
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (!seen.insert(key).second)
            throw PackError("record " + std::to_string(i + 1) + " " + Quoted(records[i].name) +
                            ": an earlier record has the same name");
    }
}

void CheckFileNameText(const std::string& ansi, const std::string& what) {
    if (ansi.find_first_of("\\/:") != std::string::npos)
        throw PackError(what + " must be a file name without directory or drive");
    CheckWindowsName(ansi, what);
}

std::vector<std::vector<uint8_t>> VolumeBytes(const std::vector<PendingRecord>& records,
                                              const DiskPlan& plan) {
    std::vector<std::vector<uint8_t>> volumes;
    for (size_t disk = 0; disk < plan.volumeSizes.size(); ++disk) {
        std::vector<uint8_t>& volume = volumes.emplace_back(plan.volumeSizes[disk], 0);
        volume[0] = static_cast<uint8_t>(disk + 1);
        volume[1] = static_cast<uint8_t>((disk + 1) >> 8);
    }
    for (size_t i = 0; i < records.size(); ++i) {
        size_t from = 0;
        for (const PlannedPiece& piece : plan.pieces[i]) {
            std::copy_n(records[i].stream.begin() + static_cast<std::ptrdiff_t>(from), piece.length,
                        volumes[piece.disk - 1].begin() + piece.offset);
            from += piece.length;
        }
    }
    return volumes;
}

// Refuses a disk too small for the smallest catalogue the manifest can give (one Segment per
// record) before any file is read and compressed.
void CheckFirstDiskRoom(const PackManifest& manifest, uint64_t setupSize) {
    std::vector<uint64_t> none;
    uint64_t reserved = CatalogueHeaderSize + setupSize;
    for (const ManifestFile& file : manifest.files) {
        // Characters, not UTF-8 bytes: each becomes one ANSI byte.
        uint64_t name = std::count_if(file.name.begin(), file.name.end(),
                                      [](char c) { return (c & 0xC0) != 0x80; });
        reserved += RecordFixedSize + name + 2 + (file.shared ? 8 : 0) + 2 * SegmentSize;
    }
    PlanDisks(none, manifest.diskSize, reserved);
}

} // namespace

PackageImage BuildPackage(const PackManifest& manifest) {
    std::string program = ToAnsi(manifest.program, "program name " + Quoted(manifest.program));
    CheckLength(program, MaxNameLength, "program name " + Quoted(manifest.program));
    CheckFileNameText(program, "program name " + Quoted(manifest.program));
    std::string title = ToAnsi(manifest.title, "title " + Quoted(manifest.title));
    CheckLength(title, MaxTitleLength, "title " + Quoted(manifest.title));
    if (!ProgmanCanCarry(title.c_str()))
        throw PackError("title " + Quoted(manifest.title) +
                        " holds a double quote, which no program-manager command can carry");
    std::string setup = ToAnsi(manifest.setup, "setup name " + Quoted(manifest.setup));
    CheckLength(setup, MaxNameLength - 4, "setup name " + Quoted(manifest.setup));
    CheckFileNameText(setup, "setup name " + Quoted(manifest.setup));
    if (manifest.files.size() > MaxRecordCount)
        throw PackError("the package has " + std::to_string(manifest.files.size()) +
                        " files; a catalogue holds at most " + std::to_string(MaxRecordCount) +
                        " records");

    PackageImage image;
    // The files on disk go by the names the setup program forms from the header's ANSI text.
    image.catalogueName = setup + ".bin";
    image.volumeName = VolumeNameOf(program);
    if (!manifest.setupProgram.empty()) {
        image.setupProgram = ReadHostFile(manifest.setupProgram, "setup program");
        std::string extension = fs::path(manifest.setupProgram).extension().string();
        image.setupProgramName = setup + (extension.empty() ? ".EXE" : extension);
    }
    CheckFirstDiskRoom(manifest, image.setupProgram.size());
    std::vector<PendingRecord> records;
    for (size_t i = 0; i < manifest.files.size(); ++i) {
        // Refuse a file too large for SizeKb before compressing it.
        std::error_code error;
        uintmax_t size = fs::file_size(manifest.files[i].source, error);
        if (!error)
            SizeKbOf(size, "file " + std::to_string(i + 1) + " (" + manifest.files[i].source + ")");
        std::vector<uint8_t> stream = CompressHostFile(
            manifest.files[i].source, "file " + std::to_string(i + 1), manifest.best);
        records.push_back(DescribeFile(manifest.files[i], i, ReadU32(stream.data())));
        records.back().stream = std::move(stream);
    }
    CheckDistinctNames(records);

    std::vector<RecordShape> shapes;
    for (const PendingRecord& record : records)
        shapes.push_back({record.name, record.FixedLength(), record.stream.size()});
    DiskPlan plan = PlanPackage(shapes, manifest.diskSize, image.setupProgram.size());
    image.catalogue = HeaderBytes(manifest, program, title, records.size());
    for (size_t i = 0; i < records.size(); ++i)
        AppendRecord(image.catalogue, records[i], plan.pieces[i]);
    image.volumes = VolumeBytes(records, plan);
    return image;
}

std::string VolumeNameOf(const std::string& program) {
    size_t dot = program.rfind('.');
    return (dot == std::string::npos ? program : program.substr(0, dot)) + ".dat";
}

std::vector<std::string> WritePackage(const PackageImage& image, const std::string& directory) {
    // On the host the files go by the UTF-8 spellings of their ANSI names.
    std::vector<OutputFile> files = {
        {"disk1/" + AnsiToUtf8(image.catalogueName), &image.catalogue}};
    if (!image.setupProgramName.empty())
        files.push_back({"disk1/" + AnsiToUtf8(image.setupProgramName), &image.setupProgram});
    for (size_t disk = 0; disk < image.volumes.size(); ++disk)
        files.push_back({"disk" + std::to_string(disk + 1) + "/" + AnsiToUtf8(image.volumeName),
                         &image.volumes[disk]});
    return CommitPackageFiles(files, directory);
}

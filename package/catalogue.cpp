// Catalogue loading: header, record area, and the values derived from them.
#include "package/catalogue.h"

#include "base/memory.h"
#include "base/paths.h"
#include "base/problem.h"

#include <cstring>

CatalogueHeader Header;
// The formatted boxes are captioned with the header's ProgramName, all zero until a header is
// read; set before any box can be raised.
[[maybe_unused]] static const char* const CaptionSet = ProgramCaption = Header.ProgramName;
uint8_t* RecordArea;
uint32_t RecordAreaSize;
char SetupDir[PathSize];
char CatalogueName[PathSize];
bool InsvPackage;
uint32_t RequiredKb;

namespace {

PlatformMemory RecordAreaHandle; // the locked block that RecordArea lies in

// Offset of the field after the record's Name and its reserved byte: the version when the
// record has one, else the first Segment.
size_t AfterName(const uint8_t* record) {
    return RecordFixedSize + std::strlen(RecordName(record)) + 2;
}

} // namespace

uint16_t CatalogueRecordCount() {
    return ReadU16(Header.RecordCountBytes);
}

const char* CatalogueProgramName() {
    // The loader refuses a header whose ProgramName has no terminator; before any load the
    // field is all zero.
    return Header.ProgramName;
}

const uint8_t* FirstRecord() {
    return RecordArea;
}
const uint8_t* NextRecord(const uint8_t* record) {
    return record + ReadU16(record);
}
uint16_t RecordFlags(const uint8_t* record) {
    return ReadU16(record + 2);
}
uint16_t RecordSizeKb(const uint8_t* record) {
    return ReadU16(record + 4);
}
const char* RecordName(const uint8_t* record) {
    return reinterpret_cast<const char*>(record + RecordFixedSize);
}
bool RecordIsShared(const uint8_t* record) {
    return (RecordFlags(record) & FlagSharedMask) != 0;
}

void RecordVersion(const uint8_t* record, uint32_t* versionMs, uint32_t* versionLs) {
    *versionMs = *versionLs = 0;
    if (!RecordIsShared(record)) return;
    const uint8_t* version = record + AfterName(record);
    *versionMs = ReadU32(version);
    *versionLs = ReadU32(version + 4);
}

const uint8_t* RecordFirstSegment(const uint8_t* record) {
    return record + AfterName(record) + (RecordIsShared(record) ? 8 : 0);
}

uint16_t SegmentDisk(const uint8_t* segment) {
    return ReadU16(segment);
}
uint32_t SegmentOffset(const uint8_t* segment) {
    return ReadU32(segment + 2);
}
uint32_t SegmentLength(const uint8_t* segment) {
    return ReadU32(segment + 6);
}

namespace {

// Whether one record of length bytes (already known to lie in the area) holds its fields: the
// Name's terminator, the reserved byte, the version and every Segment entry that the reader
// will look at, up to the end entry. An end entry whose Disk is 0 is read for its Disk alone.
bool RecordIsSound(const uint8_t* record, uint32_t length) {
    if (length <= RecordFixedSize) return false;
    const void* nul = std::memchr(record + RecordFixedSize, 0, length - RecordFixedSize);
    if (nul == nullptr) return false;
    uint32_t at = static_cast<uint32_t>(static_cast<const uint8_t*>(nul) - record) + 2;
    if (RecordIsShared(record)) at += 8;
    for (;;) {
        if (at + 2 > length) return false;
        if (SegmentDisk(record + at) == 0) return true;
        if (at + SegmentSize > length) return false;
        if (SegmentLength(record + at) == 0) return true;
        at += SegmentSize;
    }
}

} // namespace

uint32_t FirstBadRecord(const uint8_t* area, uint32_t size, uint32_t count) {
    uint32_t at = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < 2) return i;
        uint32_t length = ReadU16(area + at);
        if (length > size - at || !RecordIsSound(area + at, length)) return i;
        at += length;
    }
    return count;
}

namespace {

bool HeaderTextsEnd() {
    return std::memchr(Header.ProgramName, 0, sizeof Header.ProgramName) != nullptr &&
           std::memchr(Header.Title, 0, sizeof Header.Title) != nullptr;
}

// Opens the catalogue, takes its size, and reads the header and the record area.
StatusCode ReadCatalogueBytes(const char* path) {
    PlatformFile file = PlatformOpenRead(path);
    if (file == PlatformNoFile) return MsgMissing;
    StatusCode status = StatusOk;
    int32_t size = PlatformSeek(file, 0, SeekFromEnd);
    PlatformSeek(file, 0, SeekFromStart);
    if (size < static_cast<int32_t>(CatalogueHeaderSize)) {
        status = MsgReadError;
        Problem& problem =
            NoteProblem(status, ProblemAbout::Catalogue, ProblemFault::CatalogueShort, path);
        problem.found = size < 0 ? 0 : static_cast<uint32_t>(size);
        problem.expected = CatalogueHeaderSize;
    } else {
        RecordAreaSize = static_cast<uint32_t>(size) - CatalogueHeaderSize;
        // An empty record area is a package without records; it needs no block at all.
        if (RecordAreaSize > 0) {
            RecordArea = static_cast<uint8_t*>(AllocLocked(RecordAreaSize, &RecordAreaHandle));
            if (RecordArea == nullptr) status = MsgNoMemory;
        }
        if (status == StatusOk &&
            PlatformRead(file, &Header, CatalogueHeaderSize) != int32_t(CatalogueHeaderSize))
            status = MsgReadError;
        if (status == StatusOk && RecordAreaSize > 0 &&
            PlatformRead(file, RecordArea, RecordAreaSize) != int32_t(RecordAreaSize))
            status = MsgReadError;
    }
    PlatformClose(file);
    return status;
}

// Notes why record bad (counted from 0) of count is refused: where it lies and, when it lies
// inside the file, its Length that does not hold its fields.
void NoteBadRecord(uint32_t bad, uint32_t count) {
    uint32_t at = 0;
    for (uint32_t i = 0; i < bad; ++i)
        at += ReadU16(RecordArea + at);
    uint32_t length = RecordAreaSize - at >= 2 ? ReadU16(RecordArea + at) : 0;
    bool outside = RecordAreaSize - at < 2 || length > RecordAreaSize - at;
    ProblemFault fault = outside ? ProblemFault::RecordOutside : ProblemFault::RecordMalformed;
    Problem& problem = NoteProblem(MsgReadError, ProblemAbout::Catalogue, fault, nullptr);
    problem.record = bad + 1;
    problem.offset = CatalogueHeaderSize + at;
    problem.length = outside ? 0 : length;
    problem.expected = count;
    problem.found = CatalogueHeaderSize + RecordAreaSize;
}

// Refuses what would make later steps read past the loaded bytes: header texts without their
// terminator, and records that do not lie inside the record area.
StatusCode CheckCatalogue() {
    if (!HeaderTextsEnd()) {
        bool name = std::memchr(Header.ProgramName, 0, sizeof Header.ProgramName) == nullptr;
        NoteProblem(MsgReadError, ProblemAbout::Catalogue,
                    name ? ProblemFault::ProgramNameUnended : ProblemFault::TitleUnended, nullptr)
            .length = name ? HeaderProgramNameSize : HeaderTitleSize;
        return MsgReadError;
    }
    uint16_t count = CatalogueRecordCount();
    uint32_t bad = FirstBadRecord(RecordArea, RecordAreaSize, count);
    if (bad != count) {
        NoteBadRecord(bad, count);
        return MsgReadError;
    }
    return StatusOk;
}

void DeriveCatalogueValues() {
    InsvPackage = std::memcmp(Header.Magic, "INSV", 4) == 0;
    RequiredKb = RecordAreaSize >> 10;
    const uint8_t* record = FirstRecord();
    for (uint32_t i = 0; i < CatalogueRecordCount(); ++i, record = NextRecord(record))
        RequiredKb += RecordSizeKb(record);
}

// Names the catalogue at path in the problem the load stopped at (one without details for a
// status found without any).
StatusCode CatalogueFailure(StatusCode status, const char* path) {
    Problem& problem = LastProblem.status != StatusOk ? LastProblem
                                                      : NoteProblem(status, ProblemAbout::Catalogue,
                                                                    ProblemFault::None, nullptr);
    CopyText(problem.name, PathSize, path);
    CopyText(problem.path, PathSize, path);
    return status;
}

} // namespace

StatusCode LoadCatalogue() {
    ReleaseCatalogue();
    ClearProblem();
    char program[PathSize] = {};
    PlatformProgramPath(program, PathSize);

    const char* slash = std::strrchr(program, '\\');
    SetupDir[0] = '\0';
    if (slash == nullptr) return CatalogueFailure(MsgError, program);
    CopyText(SetupDir, PathSize, program);
    SetupDir[slash - program + 1] = '\0';
    AppendBackslash(SetupDir, PathSize);

    // The catalogue bears the program's whole file name with ".bin"; CatalogueName is the name
    // of that very file, so the later copy for the uninstaller finds what was loaded here.
    char catalogue[PathSize] = {};
    CopyText(catalogue, PathSize, program);
    if (!ReplaceExtension(catalogue, PathSize, ".bin")) {
        CopyText(ErrorSubject, PathSize, program);
        return CatalogueFailure(MsgMissing, program);
    }
    CopyText(CatalogueName, PathSize, catalogue + (slash - program) + 1);
    CopyText(ErrorSubject, PathSize, catalogue);

    StatusCode status = ReadCatalogueBytes(catalogue);
    if (status == StatusOk) status = CheckCatalogue();
    if (status == StatusOk) {
        DeriveCatalogueValues();
    } else if (!HeaderTextsEnd()) {
        // A partial or unterminated header must not caption the failure's message box.
        std::memset(&Header, 0, sizeof Header);
    }
    return status == StatusOk ? status : CatalogueFailure(status, catalogue);
}

void ReleaseCatalogue() {
    FreeLocked(&RecordAreaHandle);
    RecordArea = nullptr;
    RecordAreaSize = 0;
}

// Texts of the engine's problems for the disksetup command.
#include "cli/problem_text.h"

#include "cli/cli.h"
#include "package/catalogue.h"
#include "platform/posix/posix_platform.h"

namespace {

std::string Number(uint64_t n) {
    return std::to_string(n);
}

// The size in bytes of the file at a Windows path, read through the platform (which also reads
// a Volume inside a disk image), or "?" when it cannot be learned.
std::string FileSizeText(const char* path) {
    PlatformFile file = PlatformOpenRead(path);
    int32_t size = file == PlatformNoFile ? -1 : PlatformSeek(file, 0, SeekFromEnd);
    PlatformClose(file);
    return size >= 0 ? Number(static_cast<uint32_t>(size)) : "?";
}

// Why a loaded catalogue was refused, from the problem's numbers: " (...)", or "".
std::string CatalogueDetail(const Problem& p) {
    switch (p.fault) {
    case ProblemFault::CatalogueShort:
        return " (the file holds " + Number(p.found) + " bytes, fewer than the " +
               Number(p.expected) + " of its header)";
    case ProblemFault::ProgramNameUnended:
        return " (the header's program name has no terminating zero in its " + Number(p.length) +
               " bytes)";
    case ProblemFault::TitleUnended:
        return " (the header's title has no terminating zero in its " + Number(p.length) +
               " bytes)";
    case ProblemFault::RecordOutside:
    case ProblemFault::RecordMalformed: {
        std::string what = " (the header counts " + Number(p.expected) + " records; record " +
                           Number(p.record) + " at offset " + Number(p.offset);
        if (p.fault == ProblemFault::RecordOutside)
            return what + " does not lie whole within the file's " + Number(p.found) + " bytes)";
        return what + " is malformed: its Length of " + Number(p.length) +
               " bytes does not hold its fields, name and Segment list with their ends)";
    }
    default: return "";
    }
}

} // namespace

std::string CatalogueProblemText(const Problem& problem) {
    return StatusText(problem.status, PosixHostPath(problem.path)) + CatalogueDetail(problem);
}

std::string BoxNote(const char* text, const Problem& problem) {
    if (problem.fault == ProblemFault::VolumeUnreadable)
        return StatusText(problem.status, PosixHostPath(problem.path) + " (the Volume of disk " +
                                              Number(problem.diskWanted) + ")");
    if (problem.fault == ProblemFault::StreamOverrun)
        return EscapeName(text) + " (its stored data ends before its size of " +
               Number(problem.expected) + " bytes is reached)";
    if (problem.fault != ProblemFault::PieceUnreadable) return EscapeName(text);
    return EscapeName(text) + " (reading the piece at offset " + Number(problem.offset) + " of " +
           Number(problem.length) + " bytes from the Volume of disk " + Number(problem.diskWanted) +
           ", " + EscapeHostName(PosixHostPath(problem.path)) + ", " + FileSizeText(problem.path) +
           " bytes)";
}

std::string WrongVolumeText(const Problem& problem) {
    std::string what = problem.found == 2 ? "holds disk " + Number(problem.diskFound)
                                          : "is too short to hold a disk number";
    std::string disk = Number(problem.diskWanted);
    return "disk " + disk + ": the Volume " + EscapeHostName(PosixHostPath(problem.path)) + " " +
           what + ", not disk " + disk;
}

std::string VolumeEndText(const Problem& problem) {
    if (!problem.volumeEnded) return "";
    return "the Volume of disk " + Number(problem.diskWanted) + " (" +
           EscapeHostName(PosixHostPath(problem.path)) + ", " + FileSizeText(problem.path) +
           " bytes) ends inside the piece at offset " + Number(problem.offset) + " of " +
           Number(problem.length) + " bytes";
}

std::string SizeCutText(const Problem& problem) {
    if (problem.fault != ProblemFault::StreamSizeCut) return "";
    return "the stored stream ends inside its 4-byte size (" + Number(problem.found) +
           " of its bytes are there)";
}

// Texts of the engine's problems for the disksetup command.
#include "cli/problem_text.h"

#include "cli/cli.h"
#include "package/catalogue.h"
#include "platform/posix/posix_platform.h"

#include <sys/statvfs.h>

namespace {

std::string Number(uint64_t n) {
    return std::to_string(n);
}

// The size in bytes of the file at a Windows path, read through the platform (which also reads
// a Volume inside a disk image), or -1 when it cannot be learned.
int64_t FileSize(const char* path) {
    PlatformFile file = PlatformOpenRead(path);
    int32_t size = file == PlatformNoFile ? -1 : PlatformSeek(file, 0, SeekFromEnd);
    PlatformClose(file);
    return size;
}

// FileSize as text, or "?".
std::string FileSizeText(const char* path) {
    int64_t size = FileSize(path);
    return size >= 0 ? Number(static_cast<uint64_t>(size)) : "?";
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

// Bytes free on the host disk that holds host path's directory, or "?".
std::string FreeBytesText(const std::string& host) {
    struct statvfs fs;
    std::string directory = host.substr(0, host.find_last_of('/') + 1);
    if (directory.empty() || statvfs(directory.c_str(), &fs) != 0) return "?";
    return Number(static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize);
}

// A write that the disk took in part or not at all: the file with what it still needs and
// what its disk has free.
std::string WriteProblemText(const char* text, const Problem& p) {
    std::string host = PosixHostPath(p.path);
    std::string head = p.fault == ProblemFault::WriteShort
                           ? EscapeHostName(host) + ": " + EscapeName(text)
                           : StatusText(MsgWriteError, host);
    std::string needed = p.expected >= p.found + p.length
                             ? Number(p.expected - p.found) +
                                   " more bytes needed to complete its " + Number(p.expected)
                             : Number(p.length) + " bytes not taken";
    return head + " (" + Number(p.found) + " bytes written, " + needed + ", " +
           FreeBytesText(host) + " bytes free)";
}

} // namespace

std::string CatalogueProblemText(const Problem& problem) {
    return StatusText(problem.status, PosixHostPath(problem.path)) + CatalogueDetail(problem);
}

std::string BoxNote(const char* text, const Problem& problem) {
    if (problem.fault == ProblemFault::VolumeUnreadable)
        return StatusText(problem.status, PosixHostPath(problem.path) + " (the Volume of disk " +
                                              Number(problem.diskWanted) + ")");
    if (problem.fault == ProblemFault::WriteShort || problem.fault == ProblemFault::WriteFailed)
        return WriteProblemText(text, problem);
    if (problem.fault == ProblemFault::StreamOverrun)
        return EscapeName(text) + " (its stored data ends before its size of " +
               Number(problem.expected) + " bytes is reached)";
    if (problem.fault != ProblemFault::PieceUnreadable) return EscapeName(text);
    return EscapeName(text) + " (reading the piece at offset " + Number(problem.offset) + " of " +
           Number(problem.length) + " bytes from the Volume of disk " + Number(problem.diskWanted) +
           ", " + EscapeHostName(PosixHostPath(problem.path)) + ", " + FileSizeText(problem.path) +
           " bytes)";
}

bool PackageFault(const Problem& problem) {
    switch (problem.fault) {
    case ProblemFault::VolumeUnreadable:
    case ProblemFault::VolumeOfOtherDisk:
    case ProblemFault::VolumeEndsInPiece:
    case ProblemFault::StreamOverrun:
    case ProblemFault::StreamSizeCut: return true;
    case ProblemFault::PieceUnreadable: {
        int64_t size = FileSize(problem.path);
        return size >= 0 && size < int64_t{problem.offset} + problem.length;
    }
    default: return problem.volumeEnded;
    }
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

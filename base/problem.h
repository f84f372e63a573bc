// The problem record: what the engine found wrong, about what, and the numbers, filled where
// the fault is found and before the program's own message box reports it. A front end without
// boxes prints from it.
#pragma once

#include "base/messages.h"

#include <cstdint>

// What a problem is about.
enum class ProblemAbout : uint8_t { Nothing, Catalogue, Volume, Record };

// Which fault, where one status code covers several. The numbers each one fills:
enum class ProblemFault : uint8_t {
    None,
    CatalogueShort,     // found: the file's bytes; expected: the header's
    ProgramNameUnended, // length: the field's bytes
    TitleUnended,       // length: the field's bytes
    RecordOutside,      // record, offset; expected: records counted; found: the file's bytes
    RecordMalformed,    // record, offset, length; expected: records counted
    VolumeUnreadable,   // diskWanted; path: the Volume tried
    VolumeOfOtherDisk,  // diskWanted; diskFound, or found < 2: bytes of its disk number
    PieceUnreadable,    // diskWanted, offset, length, path: the piece and its Volume
    VolumeEndsInPiece,  // the same numbers: the Volume gave no bytes where the piece goes on
    StreamOverrun,      // expected: the stream's size
    StreamSizeCut,      // found: bytes of the 4-byte size prefix that could be read
    WriteShort,  // path: the target; found: its bytes written; length: bytes the disk did not
                 // take; expected: the file's whole size, or 0 when not known
    WriteFailed, // the same numbers: the write took nothing and failed
};

struct Problem {
    StatusCode status = StatusOk; // the status code shown, or StatusOk for none
    ProblemAbout about = ProblemAbout::Nothing;
    ProblemFault fault = ProblemFault::None;
    char name[PathSize] = {}; // the catalogue's path, or the record's Name
    char path[PathSize] = {}; // the file read: the catalogue or the Volume
    uint32_t record = 0;      // record number, counted from 1; 0 for none
    uint32_t offset = 0;      // in the file read
    uint32_t length = 0;
    uint64_t expected = 0;
    uint64_t found = 0;
    uint16_t diskWanted = 0;
    uint16_t diskFound = 0;
    bool volumeEnded = false; // this stream's Volume ended inside a piece (kept past later faults)
    uint32_t serial = 0;      // counts the problems noted, so a front end tells a new one
};

// The last problem found since ClearProblem.
extern Problem LastProblem;

// Forgets every problem: at the start of a load or of a stream.
void ClearProblem();
// Notes a problem's status, subject and fault; its numbers keep what they hold until the
// caller sets them (a stream's later fault still names the piece it stood at). name may be null.
Problem& NoteProblem(StatusCode status, ProblemAbout about, ProblemFault fault, const char* name);

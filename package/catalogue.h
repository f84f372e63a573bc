// The Catalogue: the package's table of contents, its loader and the walk over its records.
//
// File layout (little-endian, no padding): a 346-byte header, then the record area to the end
// of the file holding RecordCount records one after the other.
#pragma once

#include "base/bytes.h"
#include "base/messages.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>

constexpr uint32_t CatalogueHeaderSize = 346;
constexpr uint32_t HeaderProgramNameSize = 260; // at offset 4, NUL-terminated within the field
constexpr uint32_t HeaderTitleSize = 80;        // at offset 264, NUL-terminated within the field

// The header exactly as it lies in the file; loaded once and never changed.
struct CatalogueHeader {
    char Magic[4];                           // "INSV" marks an INSV package
    char ProgramName[HeaderProgramNameSize]; // main program's file name, no directory
    char Title[HeaderTitleSize];             // the application's display name
    uint8_t RecordCountBytes[2];             // u16 at offset 344
};
static_assert(sizeof(CatalogueHeader) == CatalogueHeaderSize, "header is 346 bytes");

// Record fields, as offsets from the start of a record (n = length of Name):
//   0 u16 Length (bytes to the next record), 2 u16 Flags, 4 u16 SizeKb, 6 Name + NUL,
//   7+n reserved byte, 8+n u32 VersionMs and u32 VersionLs when Flags & 6, then Segments.
// A Segment is 10 bytes: u16 Disk (0 ends the list), u32 Offset from the start of the Volume,
// u32 Length (0 ends the list).
constexpr uint16_t FlagNotInstalled = 0x0001;
constexpr uint16_t FlagSharedMask = 0x0006;
constexpr uint32_t SegmentSize = 10;
constexpr uint32_t RecordFixedSize = 6; // Length, Flags and SizeKb

// Loaded state, program-wide.
extern CatalogueHeader Header;
extern uint8_t* RecordArea;          // the bytes after the header, zero-filled before reading
extern uint32_t RecordAreaSize;      // file size - 346
extern char SetupDir[PathSize];      // the setup program's directory, ending in a backslash
extern char CatalogueName[PathSize]; // file name of the catalogue that was opened
extern bool InsvPackage;
extern uint32_t RequiredKb;

// Loads the catalogue that lies beside the running setup program and bears its file name with
// ".bin". Returns StatusOk, or MsgMissing (cannot be opened), MsgReadError (short, or records that
// do not lie inside the record area), MsgNoMemory or MsgError (the program's path has no
// backslash). ErrorSubject holds the catalogue's full path from the moment it is known.
StatusCode LoadCatalogue();
// Releases the record area (shutdown); the header stays readable.
void ReleaseCatalogue();

uint16_t CatalogueRecordCount();
// The header's ProgramName, or "" before a header was read; the caption of formatted messages.
const char* CatalogueProgramName();

// ---- the record walk (over a loaded catalogue, whose records were checked on loading) ----
const uint8_t* FirstRecord();
const uint8_t* NextRecord(const uint8_t* record);
uint16_t RecordFlags(const uint8_t* record);
uint16_t RecordSizeKb(const uint8_t* record);
const char* RecordName(const uint8_t* record);
bool RecordIsShared(const uint8_t* record);
// The record's version; zero for a record without one.
void RecordVersion(const uint8_t* record, uint32_t* versionMs, uint32_t* versionLs);
const uint8_t* RecordFirstSegment(const uint8_t* record);
// The fields of the Segment entry at segment; the next entry lies SegmentSize bytes on. An
// entry whose Disk is 0 ends the list and may hold nothing more, so read its Disk first.
uint16_t SegmentDisk(const uint8_t* segment);
uint32_t SegmentOffset(const uint8_t* segment);
uint32_t SegmentLength(const uint8_t* segment);

// Checks that count records fit the area of size bytes: each record's Length, Name, version
// and segment list up to its end entry lie inside the record, and every record inside the
// area. Returns the index of the first bad record, or count when all are sound.
uint32_t FirstBadRecord(const uint8_t* area, uint32_t size, uint32_t count);

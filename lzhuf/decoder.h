// The LZHUF decoder: expands one stored stream from the volume reader into the output writer.
#pragma once

#include "lzhuf/format.h"
#include "base/messages.h"

#include <cstdint>

// Decoder state, program-wide, reset at the start of every file.
extern uint64_t BitBuffer; // undelivered input bits, the next one in the most significant place
extern uint32_t BitCount;  // valid bits in BitBuffer: 9 to 63 after a refill

// What a damaged stream is reported under when the reader serves no record, e.g. the input file
// of a single stream; null names TargetPath instead.
extern const char* StreamName;

// Expands the stored stream that the volume reader delivers (ReadStoredSize, then
// ReadStoredByte) into the output writer, producing exactly the stream's size in bytes.
// Preconditions: the reader's stream started (StartRecordStream or StartMemoryStream), the
// writer started (StartOutput), TargetPath set.
// Returns StatusOk when the whole file was expanded and written; StatusCancelled when the reader or
// the writer failed or was cancelled (their message has been shown, except for a stream that ends
// inside its size, which shows none), or when the stream is damaged: its codes ran past the stored
// data. A damaged stream is still expanded to its full size (the missing bits read as 0) and
// written, then the reader reports it (ReportStreamOverrun) naming its record, or else StreamName
// or TargetPath; only a stream that needs more than a megabyte of missing bytes stops there
// instead, short of its size. A match that would run past the size is cut there. Leaves the target
// open.
StatusCode DecodeFile();

// Internal steps, exposed for the tests. Each returns -2 when the reader failed or was
// cancelled.
int DecodeSymbol();      // the next literal (0 to 255) or match length symbol (256 to 313)
int DecodeMatchOffset(); // the next match position: distance back, less one (0 to 4095)
// True when the codes decoded so far took bits from beyond the end of the stored data.
bool StreamOverrun();
// The size the current stream's 4-byte prefix gives (0 before it has been read).
uint32_t StreamClaimedSize();

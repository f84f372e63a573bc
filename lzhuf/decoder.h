// The LZHUF decoder: expands one stored stream from the volume reader into the output writer.
#pragma once

#include "base/messages.h"
#include "lzhuf/format.h"
#include "lzhuf/output_writer.h"

#include <cstdint>

// Decoder state, program-wide, reset at the start of every file.
extern uint64_t BitBuffer; // undelivered input bits, the next one in the most significant place
extern uint32_t BitCount;  // valid bits in BitBuffer: 9 to 63 after a refill

// Where an expansion's bytes go, through the caller's buffer of OutputBufferSize bytes: the
// open file, or, when write is set, that function instead (see OutputSinkFunction), which
// lets a caller keep the bytes in memory, count them or send them anywhere else.
struct ExpansionSink {
    uint8_t* buffer;
    PlatformFile file;
    OutputSinkFunction write;
};

// Expands the stored stream that the volume reader delivers (ReadStoredSize, then
// ReadStoredByte) into sink, producing exactly the stream's size in bytes. The reader's stream
// must have been started (StartRecordStream or StartMemoryStream); subject names the output in
// the writer's messages, and a damaged stream that the reader has no name for.
// Returns StatusOk when the whole file was expanded and written; StatusCancelled when the reader or
// the writer failed or was cancelled (their message has been shown, except for a stream that ends
// inside its size, which shows none), or when the stream is damaged: its codes ran past the stored
// data. A damaged stream is still expanded to its full size (the missing bits read as 0) and
// written, then the reader reports it (ReportStreamOverrun) naming its record or memory
// stream, or else subject; only a stream that needs more than a megabyte of missing bytes
// stops there instead, short of its size. A match that would run past the size is cut there.
// Afterwards the writer holds no buffer, file, sink or subject again (OutputWritten and
// OutputExpected keep the file's numbers); a file stays open.
StatusCode ExpandInto(const ExpansionSink& sink, const char* subject);

// Internal steps, exposed for the tests. StartSymbols readies them for a stream whose size has
// just been read: no bits held, the code tree as it starts. The others return -2 when the
// reader failed or was cancelled.
void StartSymbols();
int DecodeSymbol();      // the next literal (0 to 255) or match length symbol (256 to 313)
int DecodeMatchOffset(); // the next match position: distance back, less one (0 to 4095)
// True when the codes decoded so far took bits from beyond the end of the stored data.
bool StreamOverrun();
// The size the current stream's 4-byte prefix gives (0 before it has been read).
uint32_t StreamClaimedSize();

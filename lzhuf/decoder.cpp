// The LZHUF decoder: bit input, symbol and position decoding, and the expansion loop.
#include "lzhuf/decoder.h"

#include "lzhuf/adaptive_tree.h"
#include "lzhuf/format.h"
#include "lzhuf/output_writer.h"
#include "package/volume.h"

#include <cstring>

uint64_t BitBuffer;
uint32_t BitCount;

namespace {

// The window; positions 0 to 4095 are used, the spare bytes past them absorb the overshoot of
// the 8-byte copies.
uint8_t RingBuffer[RingSize + MaxMatch - 1];

// Zero bytes handed to the bit input after the stored data ended. The codes overran the data
// when more of their bits were taken than the input still holds undelivered.
uint64_t MissingBytes;

// Past the end of the stored data every bit reads as 0, so a stream cut short near its end
// still comes out at its full size. Beyond this many zero bytes the expansion stops: the
// stream is damaged whatever comes next, and a size that lies (up to 4 GB) would otherwise
// spend minutes filling the target with zero-bit output.
constexpr uint64_t MaxMissingBytes = 1 << 20;
bool StoppedPastData; // the expansion stopped at MaxMissingBytes
uint32_t ClaimedSize;

inline uint64_t LoadBigEndian(const uint8_t* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return __builtin_bswap64(word); // the stream is read on little-endian machines only
}

// Tops the bits up once 8 or fewer are left. While the reader's buffer holds 8 bytes or more,
// as many whole bytes as fit are taken from it at once; near its end one byte at a time
// through ReadStoredByte, only until more than 8 bits are held. So the reader's slow path
// (next chunk, next disk, end of data) is reached only when a code needs a bit while the bits
// held and the reader's buffer together hold 8 or fewer: at most two bytes past the code,
// whatever the buffer's bulk loads did before. After the stored data ends every byte reads
// as 0. The next bit sits in bit 63; the bits below the count are zero or the stream's next
// bits.
inline bool Refill(uint64_t& buffer, uint32_t& count) {
    if (InputCount >= 8) {
        buffer |= LoadBigEndian(InputCursor) >> count;
        uint32_t taken = (63 - count) >> 3;
        InputCursor += taken;
        InputCount -= static_cast<int32_t>(taken);
        count += 8 * taken;
        return true;
    }
    while (count <= 8) {
        int b = ReadStoredByte();
        if (b < 0) {
            if (b != -1) return false;
            if (MissingBytes >= MaxMissingBytes) {
                StoppedPastData = true;
                return false;
            }
            b = 0;
            ++MissingBytes;
        }
        buffer |= static_cast<uint64_t>(b) << (56 - count);
        count += 8;
    }
    return true;
}

inline int TakeBits(uint64_t& buffer, uint32_t& count, unsigned bits) {
    if (count <= 8 && !Refill(buffer, count)) return -2;
    int value = static_cast<int>(buffer >> (64 - bits));
    buffer <<= bits;
    count -= bits;
    return value;
}

// The walk from the root to a leaf (a code may be longer than 16 bits): the first eight levels
// in one look at PrefixTable, then one bit per level, with 16 bits or more held eight levels
// without a look at the input. The leaf's node goes to *leaf, which saves the update a lookup.
__attribute__((always_inline)) inline int WalkToLeaf(uint64_t& buffer, uint32_t& count,
                                                     size_t* leaf) {
    if (count <= 8 && !Refill(buffer, count)) return -2;
    unsigned entry = PrefixTable[buffer >> (64 - PrefixBits)];
    unsigned depth = entry >> PrefixDepthShift;
    *leaf = entry & ((1u << PrefixDepthShift) - 1);
    size_t n = static_cast<uint16_t>(ChildTable[*leaf]);
    buffer <<= depth;
    count -= depth;
    if (n >= NodeCount) return static_cast<int>(n);
    for (;;) {
        if (count <= 8 && !Refill(buffer, count)) return -2;
        if (count < 16) {
            *leaf = n + (buffer >> 63);
            n = static_cast<uint16_t>(ChildTable[*leaf]);
            buffer <<= 1;
            --count;
            if (n >= NodeCount) return static_cast<int>(n);
            continue;
        }
#pragma GCC unroll 8
        for (uint32_t level = 1; level <= 8; ++level) {
            *leaf = n + (buffer >> 63);
            n = static_cast<uint16_t>(ChildTable[*leaf]);
            buffer <<= 1;
            if (n >= NodeCount) {
                count -= level;
                return static_cast<int>(n);
            }
        }
        count -= 8;
    }
}

// The symbol's walk, then the update of the tree. The bit input lives in the caller's
// registers.
__attribute__((always_inline)) inline int TakeSymbol(uint64_t& buffer, uint32_t& count) {
    size_t leaf = 0;
    int n = WalkToLeaf(buffer, count, &leaf);
    if (n < 0) return -2;
    int symbol = n - NodeCount;
    UpdateTreeAt(leaf, symbol);
    return symbol;
}

// The 8-bit lookup gives the upper 6 bits and the code's length; the position's bits are the
// code and the 6 lower bits. When the input holds all of them beyond the 8 spare bits they
// are taken at once.
__attribute__((always_inline)) inline int TakeMatchOffset(uint64_t& buffer, uint32_t& count) {
    if (count <= 8 && !Refill(buffer, count)) return -2;
    if (count >= 8 + 14) {
        unsigned i = static_cast<unsigned>(buffer >> 56);
        unsigned bits = PositionLengthTable[i] + 6u;
        unsigned value = static_cast<unsigned>(buffer >> (64 - bits));
        buffer <<= bits;
        count -= bits;
        return PositionCodeTable[i] * 64 + static_cast<int>(value & 63);
    }
    int i = TakeBits(buffer, count, 8);
    if (i < 0) return -2;
    int high = PositionCodeTable[i];
    int extra = PositionLengthTable[i] - 2;
    while (extra-- > 0) {
        int bit = TakeBits(buffer, count, 1);
        if (bit < 0) return -2;
        i = 2 * i + bit;
    }
    return high * 64 + (i & 63);
}

} // namespace

bool StreamOverrun() {
    return MissingBytes * 8 > BitCount;
} // 64-bit: a 4 GB size may take that many

uint32_t StreamClaimedSize() {
    return ClaimedSize;
}

int DecodeSymbol() {
    return TakeSymbol(BitBuffer, BitCount);
}

int DecodeMatchOffset() {
    return TakeMatchOffset(BitBuffer, BitCount);
}

namespace {

void ResetDecoder() {
    BitBuffer = 0;
    BitCount = 0;
    MissingBytes = 0;
    StoppedPastData = false;
    ClaimedSize = 0;
    std::memset(RingBuffer, 0, sizeof RingBuffer);
}

// The expansion loop keeps its output cursor in a register; the writer's OutputCursor is set
// from it when a full buffer is flushed and when the loop ends.
StatusCode FlushFrom(uint8_t*& out) {
    OutputCursor = out;
    StatusCode status = FlushOutput();
    out = OutputCursor;
    return status;
}

// Copies length bytes from source in the window to r and to out, in order, so a match may
// repeat the bytes it is writing. When neither run wraps the ring, the source ends before
// the match's own bytes begin and out has room to spare, the output takes 8 bytes at a time (the
// window's spare bytes past 4096 and the output's room absorb the overshoot) and the window copies
// them back.
inline void CopyWithinRing(int source, int length, int& r, uint8_t* out, uint8_t* end) {
    int distance = (r - source) & RingMask;
    if (distance >= length && source + length <= RingSize && r + length <= RingSize &&
        end - out >= MaxMatch + 8) {
        for (int k = 0; k < length; k += 8)
            std::memcpy(out + k, RingBuffer + source + k, 8);
        std::memcpy(RingBuffer + r, out, static_cast<size_t>(length));
        r = (r + length) & RingMask;
        return;
    }
    for (int k = 0; k < length; ++k) {
        uint8_t b = RingBuffer[(source + k) & RingMask];
        RingBuffer[r] = b;
        r = (r + 1) & RingMask;
        out[k] = b;
    }
}

// A match into the window and the output, flushing the output exactly when it fills (then
// going on with the rest of the match). Returns 0 or the writer's 2.
StatusCode CopyMatch(int source, int length, int& r, uint8_t*& out) {
    uint8_t* end = OutputBuffer + OutputBufferSize;
    for (;;) {
        int part = static_cast<int>(end - out) < length ? static_cast<int>(end - out) : length;
        CopyWithinRing(source, part, r, out, end);
        out += part;
        length -= part;
        if (out == end) {
            StatusCode status = FlushFrom(out);
            if (status != StatusOk) return status;
        }
        if (length == 0) return StatusOk;
        source = (source + part) & RingMask;
    }
}

// Decodes symbols until size bytes have been produced, with the bit input and the output
// cursor in locals for speed; they are stored back whenever the loop ends. Returns 0 or 2.
StatusCode ExpandSymbols(uint32_t size) {
    uint64_t buffer = BitBuffer;
    uint32_t count = BitCount;
    uint8_t* out = OutputCursor;
    uint8_t* end = OutputBuffer + OutputBufferSize;
    StatusCode status = StatusOk;
    int r = RingStart;
    for (uint32_t produced = 0; produced < size && status == StatusOk;) {
        int s = TakeSymbol(buffer, count);
        if (s < 0) {
            status = StatusCancelled;
        } else if (s < 256) {
            RingBuffer[r] = static_cast<uint8_t>(s);
            r = (r + 1) & RingMask;
            ++produced;
            *out++ = static_cast<uint8_t>(s);
            if (out == end) status = FlushFrom(out);
        } else {
            int p = TakeMatchOffset(buffer, count);
            if (p < 0) {
                status = StatusCancelled;
                break;
            }
            uint32_t length = static_cast<uint32_t>(s - (256 - MatchThreshold - 1));
            if (length > size - produced) length = size - produced;
            produced += length;
            status = CopyMatch((r - p - 1) & RingMask, static_cast<int>(length), r, out);
        }
    }
    OutputCursor = out;
    BitBuffer = buffer;
    BitCount = count;
    return status;
}

// Names the damaged stream in "%s: read error!" with an OK button, through its reader.
void ReportOverrun() {
    ReportStreamOverrun(OutputSubject, ClaimedSize);
}

// Expands the stream the reader delivers through the writer as ExpandInto set it up.
StatusCode DecodeFile() {
    ResetDecoder();
    uint32_t size;
    if (ReadStoredSize(&size) != 0) return StatusCancelled;
    ClaimedSize = size;
    OutputExpected = size;
    if (size == 0) return StatusOk;
    InitTree();
    std::memset(RingBuffer, ' ', RingStart);
    StatusCode status = ExpandSymbols(size);
    // A stream stopped for running too far past its data keeps what it produced.
    if (status != StatusOk && !StoppedPastData) return StatusCancelled;
    if (FlushOutput() != StatusOk) return StatusCancelled;
    if (StreamOverrun()) {
        ReportOverrun();
        return StatusCancelled;
    }
    return StatusOk;
}

} // namespace

void StartSymbols() {
    ResetDecoder();
    InitTree();
}

StatusCode ExpandInto(const ExpansionSink& sink, const char* subject) {
    StartOutput(sink.buffer, sink.file);
    OutputSink = sink.write;
    OutputSubject = subject;
    StatusCode status = DecodeFile();
    OutputBuffer = OutputCursor = nullptr;
    OutputHandle = PlatformNoFile;
    OutputSink = nullptr;
    OutputSubject = nullptr;
    return status;
}

// The constants of the LZHUF method and its fixed code for match positions.
//
// A stored stream is a u32 little-endian uncompressed size followed by the bit stream (most
// significant bit first, the last byte padded with zero bits). Each symbol of the adaptive code
// is a literal (0 to 255) or a match length (symbols 256 to 313 for lengths 3 to 60); a
// match's position (distance back, less one) follows it as a 3- to 8-bit prefix code for its
// upper 6 bits and then its lower 6 bits as they stand.
#pragma once

#include <array>
#include <cstdint>

constexpr int RingSize = 4096; // sliding window; positions are taken modulo 4096
constexpr int RingMask = RingSize - 1;
constexpr int MaxMatch = 60;      // longest match
constexpr int MatchThreshold = 2; // matches this short are never coded; the shortest is 3
constexpr int RingStart = RingSize - MaxMatch; // 4036: first write position; spaces lie before it
constexpr int SymbolCount = 256 - MatchThreshold + MaxMatch; // 314: literals and match lengths
constexpr int NodeCount = 2 * SymbolCount - 1;               // 627 nodes of the code tree
constexpr int RootNode = NodeCount - 1;                      // 626
constexpr unsigned MaxFrequency = 0x8000; // root frequency at which the tree is rebuilt
constexpr uint32_t SizePrefixBytes = 4;   // the u32 uncompressed size before the bit stream
// The most bytes one stored byte can expand to: a 60-byte match coded in 10 bits (a symbol of
// one bit and a position of nine) gives 6 bytes per bit; a literal gives one.
constexpr uint64_t MostBytesPerStoredByte = 8 * MaxMatch / 10;

// Code length in bits of upper position bits u (0 to 63): 3 for 0, 4 for 1-3, 5 for 4-11,
// 6 for 12-23, 7 for 24-47, 8 for 48-63; codes are assigned canonically in increasing u.
constexpr unsigned PositionPrefixLength(unsigned u) {
    return u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
}

struct PositionTables {
    std::array<uint8_t, 256> code{};   // upper 6 bits whose code is a prefix of the 8-bit index
    std::array<uint8_t, 256> length{}; // length of that code
    std::array<uint8_t, 64> prefix{};  // code of each u, right-aligned
};

// Each u takes the next 2^(8 - length) entries of the 8-bit lookup, so the first entry it
// takes, shifted right by (8 - length), is its code.
constexpr PositionTables BuildPositionTables() {
    PositionTables t;
    unsigned i = 0;
    for (unsigned u = 0; u < 64; ++u) {
        unsigned length = PositionPrefixLength(u);
        t.prefix[u] = static_cast<uint8_t>(i >> (8 - length));
        for (unsigned k = 0; k < (1u << (8 - length)); ++k, ++i) {
            t.code[i] = static_cast<uint8_t>(u);
            t.length[i] = static_cast<uint8_t>(length);
        }
    }
    return t;
}

inline constexpr PositionTables PositionCode = BuildPositionTables();
static_assert(PositionCode.code[255] == 63 && PositionCode.length[255] == 8,
              "the position code fills the 8-bit lookup exactly");

// The two lookups of the decoder, indexed by the next 8 bits of the stream.
inline constexpr const uint8_t* PositionCodeTable = PositionCode.code.data();
inline constexpr const uint8_t* PositionLengthTable = PositionCode.length.data();

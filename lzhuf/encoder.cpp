// The LZHUF compressor: greedy longest matches from hash chains, coded with the adaptive tree
// the decoder keeps and the fixed position code.
#include "lzhuf/encoder.h"

#include "lzhuf/adaptive_tree.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace {

// Matches reach back at most 4036 bytes: the space-filled window before the first write
// position, and no farther than a standard decoder's window keeps intact.
constexpr int MaxDistance = RingStart;
constexpr int HashBits = 16;
constexpr int MaxChainSteps = 32; // bounds the search per position; longer chains add little
constexpr int BestChainSteps = 1024; // the best mode's bound: slower, a few bytes smaller

// Collects bits most significant first and appends whole bytes to the stream.
struct BitWriter {
    std::vector<uint8_t>& out;
    uint64_t pending = 0; // the last bits put, fewer than 8 of them not yet written
    unsigned count = 0;

    void Put(uint32_t code, unsigned bits) { // bits at most 32
        pending = (pending << bits) | code;
        count += bits;
        while (count >= 8) {
            count -= 8;
            out.push_back(static_cast<uint8_t>(pending >> count));
        }
    }
    void Finish() { // the last byte is padded with zero bits
        if (count > 0) out.push_back(static_cast<uint8_t>(pending << (8 - count)));
        count = 0;
    }
};

// Writes the current code of symbol s (read from its leaf up to the root: a node's bit is its
// place among the two children, which always start at an even index), then counts it.
void PutSymbol(BitWriter& writer, int s) {
    uint64_t code = 0;
    unsigned depth = 0;
    for (int k = ParentTable[s + NodeCount]; k != RootNode; k = ParentTable[k]) {
        code |= static_cast<uint64_t>(k & 1) << depth;
        if (++depth > 63) throw std::logic_error("LZHUF code tree deeper than 63 levels");
    }
    if (depth > 32) writer.Put(static_cast<uint32_t>(code >> 32), depth - 32), depth = 32;
    writer.Put(static_cast<uint32_t>(code & 0xFFFFFFFFu), depth);
    UpdateTree(s);
}

// Position p (distance back, less one): the prefix code of its upper 6 bits, then the lower 6.
void PutPosition(BitWriter& writer, unsigned p) {
    unsigned u = p >> 6;
    writer.Put(PositionCode.prefix[u], PositionPrefixLength(u));
    writer.Put(p & 63, 6);
}

// Hash chains over the input with the 4036 spaces the decoder's window starts with in front,
// so the first bytes may match into those spaces.
struct MatchFinder {
    const std::vector<uint8_t>& text;
    int chainSteps;
    std::vector<int64_t> head = std::vector<int64_t>(size_t{1} << HashBits, -1);
    std::vector<int64_t> previous = std::vector<int64_t>(RingSize, -1); // by position mod 4096

    static uint32_t Hash(const uint8_t* p) {
        uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        return (v * 2654435761u) >> (32 - HashBits);
    }
    void Insert(int64_t position) {
        if (static_cast<size_t>(position) + 3 > text.size()) return;
        uint32_t h = Hash(&text[position]);
        previous[position & RingMask] = head[h];
        head[h] = position;
    }
    // Longest match for position at most limit bytes long; its distance goes to *distance.
    int Longest(int64_t position, int limit, int* distance) const {
        if (limit < MatchThreshold + 1) return 0;
        const uint8_t* here = &text[position];
        int best = MatchThreshold;
        int64_t candidate = head[Hash(here)];
        for (int steps = 0; candidate >= 0 && steps < chainSteps; ++steps) {
            if (position - candidate > MaxDistance) break;
            int d = static_cast<int>(position - candidate);
            const uint8_t* there = &text[candidate];
            if (there[best] == here[best]) {
                int length = 0;
                while (length < limit && there[length] == here[length]) ++length;
                if (length > best) {
                    best = length;
                    *distance = d;
                    if (length == limit) break;
                }
            }
            candidate = previous[candidate & RingMask];
        }
        return best > MatchThreshold ? best : 0;
    }
};

// How hard the parse looks: the default takes the longest match at each position; the best
// mode searches longer chains and defers a match by one literal when the next position starts
// a longer one.
struct ParseEffort {
    int chainSteps;
    bool lazy;
};

constexpr ParseEffort DefaultEffort{MaxChainSteps, false};
constexpr ParseEffort BestEffort{BestChainSteps, true};

int MatchLimit(int64_t position, int64_t end) {
    return end - position < MaxMatch ? static_cast<int>(end - position) : MaxMatch;
}

void EncodeBits(const std::vector<uint8_t>& text, BitWriter& writer, ParseEffort effort) {
    MatchFinder finder{text, effort.chainSteps};
    for (int64_t i = 0; i < RingStart; ++i) finder.Insert(i);
    const int64_t end = static_cast<int64_t>(text.size());
    for (int64_t i = RingStart; i < end;) {
        int distance = 0;
        int length = finder.Longest(i, MatchLimit(i, end), &distance);
        finder.Insert(i);
        if (length > 0 && effort.lazy && length < MaxMatch && i + 1 < end) {
            int nextDistance = 0;
            if (finder.Longest(i + 1, MatchLimit(i + 1, end), &nextDistance) > length) length = 0;
        }
        if (length == 0) {
            PutSymbol(writer, text[i++]);
            continue;
        }
        PutSymbol(writer, 256 - MatchThreshold - 1 + length);
        PutPosition(writer, static_cast<unsigned>(distance - 1));
        for (int k = 1; k < length; ++k) finder.Insert(i + k);
        i += length;
    }
    writer.Finish();
}

std::vector<uint8_t> SizePrefix(uint64_t size) {
    std::vector<uint8_t> stream;
    stream.reserve(size + size / 8 + 64); // incompressible data takes about 9 bits a byte
    for (int shift = 0; shift < 32; shift += 8) stream.push_back(static_cast<uint8_t>(size >> shift));
    return stream;
}

} // namespace

std::vector<uint8_t> EncodeTokens(uint32_t size, const std::vector<LzhufToken>& tokens) {
    std::vector<uint8_t> stream = SizePrefix(size);
    InitTree();
    BitWriter writer{stream};
    for (size_t i = 0; i < tokens.size(); ++i) {
        const LzhufToken& t = tokens[i];
        if (t.symbol >= SymbolCount || t.position >= RingSize)
            throw std::invalid_argument("LZHUF token " + std::to_string(i) + " has symbol " +
                                        std::to_string(t.symbol) + ", position " + std::to_string(t.position));
        PutSymbol(writer, t.symbol);
        if (t.symbol >= 256) PutPosition(writer, t.position);
    }
    writer.Finish();
    return stream;
}

namespace {

std::vector<uint8_t> EncodeWith(const uint8_t* data, size_t size, ParseEffort effort) {
    if (static_cast<uint64_t>(size) > MaxEncodableSize)
        throw std::length_error("LZHUF input of " + std::to_string(size) + " bytes exceeds " +
                                std::to_string(MaxEncodableSize) + " bytes");
    std::vector<uint8_t> stream = SizePrefix(size);
    if (size == 0) return stream;
    std::vector<uint8_t> text(RingStart + size, ' ');
    std::copy(data, data + size, text.begin() + RingStart);
    InitTree();
    BitWriter writer{stream};
    EncodeBits(text, writer, effort);
    return stream;
}

} // namespace

std::vector<uint8_t> EncodeStoredStream(const uint8_t* data, size_t size) {
    return EncodeWith(data, size, DefaultEffort);
}

std::vector<uint8_t> EncodeStoredStreamBest(const uint8_t* data, size_t size) {
    std::vector<uint8_t> lazy = EncodeWith(data, size, BestEffort);
    // A deferred match can, rarely, cost more than it saves under the adaptive code; the
    // greedy stream is kept then, so the best mode is never larger than the default.
    std::vector<uint8_t> greedy = EncodeWith(data, size, DefaultEffort);
    return greedy.size() < lazy.size() ? greedy : lazy;
}

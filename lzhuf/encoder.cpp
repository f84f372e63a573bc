// The LZHUF compressor: matches from hash chains over a sliding input window, parsed greedily
// or, in the best mode, by the cheapest path through each block, and coded with the adaptive
// tree the decoder keeps and the fixed position code.
#include "lzhuf/encoder.h"

#include "lzhuf/adaptive_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

// Matches reach back at most 4036 bytes: the space-filled window before the first write
// position, and no farther than a standard decoder's window keeps intact.
constexpr int MaxDistance = RingStart;
constexpr int HashBits = 16;
constexpr int MaxChainSteps = 32;  // bounds the search per position; longer chains add little
constexpr int BestChainSteps = 64; // the best mode searches every position this deep
constexpr size_t OutputBlock = 32 * 1024; // stream bytes handed to the output at a time
constexpr size_t ReadBlock = 64 * 1024;   // input bytes asked for at a time
// The best mode prices its parse with the code lengths at the start of each block of this
// many input bytes: short enough to follow the adaptive code, long enough that the paths cut
// at block ends cost nothing measurable.
constexpr int ParseBlock = 4096;

// Collects bits most significant first and hands whole bytes to the output in blocks.
class BitWriter {
  public:
    explicit BitWriter(EncoderOutput& output) : output_(output) {}

    void Put(uint32_t code, unsigned bits) { // bits at most 32
        pending_ = (pending_ << bits) | code;
        count_ += bits;
        while (count_ >= 8) {
            count_ -= 8;
            block_[used_++] = static_cast<uint8_t>(pending_ >> count_);
        }
        if (used_ >= OutputBlock) Flush();
    }
    void PutBytes(const uint8_t* data, size_t count) {
        for (size_t i = 0; i < count; ++i)
            Put(data[i], 8);
    }
    // Pads the last byte with zero bits and hands everything over. Returns the bytes written.
    uint64_t Finish() {
        if (count_ > 0) block_[used_++] = static_cast<uint8_t>(pending_ << (8 - count_));
        count_ = 0;
        Flush();
        return written_;
    }

  private:
    void Flush() {
        output_.Write(block_, used_);
        written_ += used_;
        used_ = 0;
    }

    EncoderOutput& output_;
    uint64_t pending_ = 0; // the last bits put, fewer than 8 of them not yet in the block
    unsigned count_ = 0;
    uint8_t block_[OutputBlock + 8];
    size_t used_ = 0;
    uint64_t written_ = 0;
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

void PutMatch(BitWriter& writer, int length, int distance) {
    PutSymbol(writer, 256 - MatchThreshold - 1 + length);
    PutPosition(writer, static_cast<unsigned>(distance - 1));
}

// The input as the encoder sees it: 4036 spaces (the decoder's window before its first write
// position, which matches may reach into) and then the input's bytes, addressed by position
// from the first space. Holds a fixed stretch of it: at least the window's 4096 bytes behind
// the position being coded and a block ahead.
class InputWindow {
  public:
    InputWindow(EncoderInput& input, uint64_t size)
        : input_(input), size_(size), end_(RingStart + static_cast<int64_t>(size)),
          buffer_(RingSize + 2 * ReadBlock + 2 * MaxMatch) {
        std::memset(buffer_.data(), ' ', RingStart);
        filled_ = RingStart;
    }

    int64_t End() const { return end_; }
    const uint8_t* At(int64_t position) const { return buffer_.data() + (position - base_); }

    // Makes the positions before upto (or before the end) available, keeping the 4096 before
    // from. upto - from is at most a read block and a longest match.
    void Ensure(int64_t from, int64_t upto) {
        if (upto > end_) upto = end_;
        if (upto <= filled_) return;
        int64_t keep = std::max(base_, from - RingSize);
        std::memmove(buffer_.data(), At(keep), static_cast<size_t>(filled_ - keep));
        base_ = keep;
        while (filled_ < end_ && filled_ - base_ < static_cast<int64_t>(buffer_.size())) {
            size_t room = std::min<size_t>(buffer_.size() - static_cast<size_t>(filled_ - base_),
                                           std::min<uint64_t>(ReadBlock, end_ - filled_));
            size_t got = input_.Read(buffer_.data() + (filled_ - base_), room);
            if (got == 0)
                throw std::runtime_error("the input ended after " +
                                         std::to_string(filled_ - RingStart) + " of its " +
                                         std::to_string(size_) + " bytes");
            filled_ += static_cast<int64_t>(std::min(got, room));
        }
    }

    // Refuses an input that goes on past its size (a file that grew while it was read).
    void CheckEnd() {
        uint8_t extra;
        if (input_.Read(&extra, 1) != 0)
            throw std::runtime_error("the input holds more than its " + std::to_string(size_) +
                                     " bytes");
    }

  private:
    EncoderInput& input_;
    uint64_t size_;
    int64_t end_;
    std::vector<uint8_t> buffer_;
    int64_t base_ = 0;   // position of buffer_[0]
    int64_t filled_ = 0; // position after the last byte held
};

// Hash chains of the last 4096 positions, by their first three bytes.
class MatchFinder {
  public:
    MatchFinder(const InputWindow& window, int chainSteps)
        : window_(window), chainSteps_(chainSteps) {}

    // Every position is inserted in order, after its own search.
    void Insert(int64_t position) {
        if (position + 3 > window_.End()) return;
        uint32_t h = Hash(window_.At(position));
        previous_[position & RingMask] = head_[h];
        head_[h] = position;
    }

    // Walks the chain of position, nearest first, and calls found(length, distance) for each
    // match longer than every nearer one, up to limit bytes long. Returns the longest length
    // (0 when none is 3 or longer).
    template <typename Found> int Search(int64_t position, int limit, Found found) const {
        if (limit < MatchThreshold + 1) return 0;
        const uint8_t* here = window_.At(position);
        int best = MatchThreshold;
        int64_t candidate = head_[Hash(here)];
        for (int steps = 0; candidate >= 0 && steps < chainSteps_; ++steps) {
            if (position - candidate > MaxDistance) break;
            const uint8_t* there = window_.At(candidate);
            if (there[best] == here[best]) {
                int length = 0;
                while (length < limit && there[length] == here[length])
                    ++length;
                if (length > best) {
                    best = length;
                    found(length, static_cast<int>(position - candidate));
                    if (length == limit) break;
                }
            }
            candidate = previous_[candidate & RingMask];
        }
        return best > MatchThreshold ? best : 0;
    }

  private:
    static uint32_t Hash(const uint8_t* p) {
        uint32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        return (v * 2654435761u) >> (32 - HashBits);
    }

    const InputWindow& window_;
    int chainSteps_;
    std::vector<int64_t> head_ = std::vector<int64_t>(size_t{1} << HashBits, -1);
    std::vector<int64_t> previous_ = std::vector<int64_t>(RingSize, -1); // by position mod 4096
};

int MatchLimit(int64_t position, int64_t end) {
    return end - position < MaxMatch ? static_cast<int>(end - position) : MaxMatch;
}

// The longest match at each position, or a literal where there is none.
void EncodeGreedy(InputWindow& window, BitWriter& writer) {
    MatchFinder finder(window, MaxChainSteps);
    for (int64_t i = 0; i < RingStart; ++i)
        finder.Insert(i);
    const int64_t end = window.End();
    for (int64_t i = RingStart; i < end;) {
        // The match and the insertions inside it read up to MaxMatch + 2 bytes ahead.
        window.Ensure(i, i + MaxMatch + 2);
        int distance = 0;
        int length = finder.Search(i, MatchLimit(i, end), [&](int, int d) { distance = d; });
        finder.Insert(i);
        if (length == 0) {
            PutSymbol(writer, *window.At(i++));
            continue;
        }
        PutMatch(writer, length, distance);
        for (int k = 1; k < length; ++k)
            finder.Insert(i + k);
        i += length;
    }
}

// Code lengths in bits of every symbol under the tree as it stands: the depth of its leaf.
// A parent's frequency exceeds each child's, so parents sit above their children and one pass
// from the root down sets every depth.
void SymbolLengths(uint8_t* lengths) {
    uint8_t depth[NodeCount];
    depth[RootNode] = 0;
    for (int n = RootNode; n >= 0; --n) {
        int child = ChildTable[n];
        if (child >= NodeCount) {
            lengths[child - NodeCount] = depth[n];
        } else {
            depth[child] = depth[child + 1] = static_cast<uint8_t>(depth[n] + 1);
        }
    }
}

constexpr std::array<uint8_t, 64> BuildPositionPrices() {
    std::array<uint8_t, 64> prices{};
    for (unsigned u = 0; u < 64; ++u)
        prices[u] = static_cast<uint8_t>(PositionPrefixLength(u) + 6);
    return prices;
}
constexpr std::array<uint8_t, 64> PositionPrices = BuildPositionPrices(); // by distance - 1 >> 6

// One step of the cheapest parse: how the position was reached.
struct ParseStep {
    uint32_t cost = 0;  // bits from the start of the block
    uint8_t length = 0; // of the token that ends here (1: a literal)
    uint16_t distance = 0;
};

// Each block is parsed as the cheapest path from its start to its end, a literal or a match
// of any length up to the longest at each position, priced with the code lengths the tree has
// at the block's start (matches at the distance of the nearest source that reaches them,
// which is also the cheapest). Then the path is coded, which moves the tree on.
void EncodeCheapest(InputWindow& window, BitWriter& writer) {
    MatchFinder finder(window, BestChainSteps);
    for (int64_t i = 0; i < RingStart; ++i)
        finder.Insert(i);
    const int64_t end = window.End();
    std::vector<ParseStep> steps(ParseBlock + 1);
    std::vector<uint8_t> lengths; // of the path's tokens, backwards
    uint8_t prices[SymbolCount];
    for (int64_t start = RingStart; start < end;) {
        int64_t stop = std::min<int64_t>(end, start + ParseBlock);
        window.Ensure(start, stop + 2);
        SymbolLengths(prices);
        const int n = static_cast<int>(stop - start);
        for (int k = 1; k <= n; ++k)
            steps[k].cost = UINT32_MAX;
        steps[0].cost = 0;
        for (int k = 0; k < n; ++k) {
            const uint32_t here = steps[k].cost;
            auto relax = [&](int to, uint32_t cost, int length, int distance) {
                if (cost < steps[to].cost)
                    steps[to] = {cost, static_cast<uint8_t>(length),
                                 static_cast<uint16_t>(distance)};
            };
            relax(k + 1, here + prices[*window.At(start + k)], 1, 0);
            int shorter = MatchThreshold;
            finder.Search(start + k, MatchLimit(start + k, stop), [&](int length, int distance) {
                uint32_t base = here + PositionPrices[(distance - 1) >> 6];
                for (int l = shorter + 1; l <= length; ++l)
                    relax(k + l, base + prices[256 - MatchThreshold - 1 + l], l, distance);
                shorter = length;
            });
            finder.Insert(start + k);
        }
        lengths.clear();
        for (int k = n; k > 0; k -= steps[k].length)
            lengths.push_back(static_cast<uint8_t>(steps[k].length));
        int k = 0;
        for (auto it = lengths.rbegin(); it != lengths.rend(); ++it) {
            k += *it;
            if (*it == 1) {
                PutSymbol(writer, *window.At(start + k - 1));
            } else {
                PutMatch(writer, *it, steps[k].distance);
            }
        }
        start = stop;
    }
}

void PutSizePrefix(BitWriter& writer, uint64_t size) {
    uint8_t prefix[SizePrefixBytes];
    for (uint32_t i = 0; i < SizePrefixBytes; ++i)
        prefix[i] = static_cast<uint8_t>(size >> (8 * i));
    writer.PutBytes(prefix, SizePrefixBytes);
}

enum class Parse { Greedy, Cheapest };

uint64_t EncodeOnce(EncoderInput& input, uint64_t size, EncoderOutput& output, Parse parse) {
    BitWriter writer(output);
    PutSizePrefix(writer, size);
    InputWindow window(input, size);
    if (size > 0) {
        InitTree();
        if (parse == Parse::Greedy)
            EncodeGreedy(window, writer);
        else
            EncodeCheapest(window, writer);
    }
    window.CheckEnd();
    return writer.Finish();
}

class CountingOutput : public EncoderOutput {
  public:
    void Write(const uint8_t*, size_t) override {}
    void Restart() override {}
};

class MemoryInput : public EncoderInput {
  public:
    MemoryInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Read(uint8_t* buffer, size_t count) override {
        size_t n = std::min(count, size_ - at_);
        if (n > 0) std::memcpy(buffer, data_ + at_, n);
        at_ += n;
        return n;
    }
    void Rewind() override { at_ = 0; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace

size_t FileEncoderInput::Read(uint8_t* buffer, size_t count) {
    size_t got = std::fread(buffer, 1, count, file_);
    if (got == 0 && std::ferror(file_))
        throw std::runtime_error(std::string("reading failed: ") + std::strerror(errno));
    return got;
}

void FileEncoderInput::Rewind() {
    if (std::fseek(file_, 0, SEEK_SET) != 0)
        throw std::runtime_error(std::string("cannot go back to its start: ") +
                                 std::strerror(errno));
    std::clearerr(file_);
}

uint64_t EncodeStream(EncoderInput& input, uint64_t size, EncoderOutput& output,
                      EncodeEffort effort) {
    if (size > MaxEncodableSize)
        throw std::length_error("LZHUF input of " + std::to_string(size) + " bytes exceeds " +
                                std::to_string(MaxEncodableSize) + " bytes");
    if (effort == EncodeEffort::Default) return EncodeOnce(input, size, output, Parse::Greedy);
    // The cheapest parse under prices fixed per block can, rarely, come out larger than the
    // greedy one under the adaptive code; the greedy stream is written then.
    CountingOutput counter;
    uint64_t greedy = EncodeOnce(input, size, counter, Parse::Greedy);
    input.Rewind();
    uint64_t cheapest = EncodeOnce(input, size, output, Parse::Cheapest);
    if (cheapest <= greedy) return cheapest;
    input.Rewind();
    output.Restart();
    return EncodeOnce(input, size, output, Parse::Greedy);
}

std::vector<uint8_t> EncodeTokens(uint32_t size, const std::vector<LzhufToken>& tokens) {
    std::vector<uint8_t> stream;
    VectorEncoderOutput output(stream);
    BitWriter writer(output);
    PutSizePrefix(writer, size);
    InitTree();
    for (size_t i = 0; i < tokens.size(); ++i) {
        const LzhufToken& t = tokens[i];
        if (t.symbol >= SymbolCount || t.position >= RingSize)
            throw std::invalid_argument("LZHUF token " + std::to_string(i) + " has symbol " +
                                        std::to_string(t.symbol) + ", position " +
                                        std::to_string(t.position));
        PutSymbol(writer, t.symbol);
        if (t.symbol >= 256) PutPosition(writer, t.position);
    }
    writer.Finish();
    return stream;
}

namespace {

std::vector<uint8_t> EncodeInMemory(const uint8_t* data, size_t size, EncodeEffort effort) {
    std::vector<uint8_t> stream;
    // Incompressible data takes about 9 bits a byte.
    if (size <= MaxEncodableSize) stream.reserve(size + size / 8 + 64);
    MemoryInput input(data, size);
    VectorEncoderOutput output(stream);
    EncodeStream(input, size, output, effort);
    return stream;
}

} // namespace

std::vector<uint8_t> EncodeStoredStream(const uint8_t* data, size_t size) {
    return EncodeInMemory(data, size, EncodeEffort::Default);
}

std::vector<uint8_t> EncodeStoredStreamBest(const uint8_t* data, size_t size) {
    return EncodeInMemory(data, size, EncodeEffort::Best);
}

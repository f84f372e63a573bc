// The adaptive Huffman code of literals and match lengths, kept identically by the decoder
// and the encoder.
//
// The tree is stored as nodes ordered by frequency: node 626 is the root, leaves and internal
// nodes mix below it, and a node's two children always sit side by side. Encoder and decoder
// use the same program-wide tables, so one must finish its stream before the other starts.
#pragma once

#include "lzhuf/format.h"

#include <cstddef>
#include <cstdint>

// The root's parent: a node of its own, past the symbols' entries of ParentTable, that is its
// own parent and whose frequency never causes an exchange. The update climbs a few levels
// between looks at whether it has passed the root; the levels it climbs past it count here.
constexpr size_t DummyNode = NodeCount + SymbolCount; // 941
// Frequency of each node 0 to 626, non-decreasing with the index; the entries after them are
// 0xFFFF sentinels that stop the upward scan of UpdateTree (which looks at eight entries at a
// time), except DummyNode's own.
extern uint16_t FreqTable[DummyNode + 2];
// For an internal node the index of its first child (the second is the next index); for a
// leaf, NodeCount + its symbol.
extern int16_t ChildTable[NodeCount];
// Entries 0 to 626: the parent of each node (the root's is DummyNode). Entry 627 + s: the node
// that holds symbol s. Entry DummyNode: DummyNode.
extern int16_t ParentTable[DummyNode + 1];

// The first eight levels of the tree at once, for the decoder's walk: entry v (the next eight
// bits of a code) holds, in its low 10 bits, the node those bits lead to from the root, either
// a leaf reached within them or the node at depth 8, and above them the depth of that node
// (the bits it took). A node's place, and so its code, stays while nodes are exchanged; only
// the contents of the two exchanged nodes change, so only the entries whose bits pass through
// them are refilled, and none when they lie at depth 8 or deeper.
constexpr unsigned PrefixBits = 8;
constexpr unsigned PrefixDepthShift = 10;
extern uint16_t PrefixTable[1u << PrefixBits];
// The depth and code of each node that lies above depth 8; PrefixBits or more for the others.
// Kept with PrefixTable, so that an exchange deep in the tree costs a look at two entries.
extern uint8_t PrefixDepth[NodeCount];
extern uint8_t PrefixCode[NodeCount];

// Refills the entries below node q, whose code is code (depth bits long), and records the
// depths of the nodes above depth 8 below it.
void FillPrefixes(size_t q, unsigned code, unsigned depth);
// Records that the nodes at and below q, which a subtree brought there, lie at depth 8 or
// deeper; stops at nodes already known to.
void ForgetPrefixDepths(size_t q);

// After node q's contents changed: refills the entries that pass through it, or, for a node at
// depth 8 or deeper, records that what it now holds lies deep too.
inline void RefreshPrefixes(size_t q) {
    unsigned depth = PrefixDepth[q];
    if (depth < PrefixBits) {
        FillPrefixes(q, PrefixCode[q], depth);
        return;
    }
    size_t child = static_cast<uint16_t>(ChildTable[q]);
    if (child < NodeCount && PrefixDepth[child] < PrefixBits) {
        ForgetPrefixDepths(child);
        ForgetPrefixDepths(child + 1);
    }
}

// Every symbol with frequency 1, paired bottom-up into a balanced start tree.
void InitTree();
// Halves every leaf's frequency (rounding up) and rebuilds the internal nodes from them.
void RebuildTree();
// Exchanges node n (whose frequency has just become k) with node l, the highest node still
// below k, and repoints the children and parents of both. Indices are unsigned (the tables
// hold 0 to 940) so they are used without sign extension.
inline void SwapNodes(size_t n, size_t l, uint16_t k) {
    FreqTable[n] = FreqTable[l];
    FreqTable[l] = k;
    size_t i = static_cast<uint16_t>(ChildTable[n]);
    ParentTable[i] = static_cast<int16_t>(l);
    if (i < NodeCount) ParentTable[i + 1] = static_cast<int16_t>(l);
    size_t j = static_cast<uint16_t>(ChildTable[l]);
    ChildTable[l] = static_cast<int16_t>(i);
    ParentTable[j] = static_cast<int16_t>(n);
    if (j < NodeCount) ParentTable[j + 1] = static_cast<int16_t>(n);
    ChildTable[n] = static_cast<int16_t>(j);
    RefreshPrefixes(n);
    RefreshPrefixes(l);
}

// The highest node at or above lo whose frequency is below k, given that lo's is: the end of
// the run of equal frequencies. The table is in order above the node being counted, so the
// count of the next eight frequencies below k is how far the run goes on; counting them
// without branches keeps long runs cheap. The sentinels past the root end every run.
inline size_t LastBelow(size_t lo, uint16_t k) {
    for (;;) {
        const uint16_t* f = &FreqTable[lo + 1];
        size_t below = (f[0] < k) + (f[1] < k) + (f[2] < k) + (f[3] < k) + (f[4] < k) + (f[5] < k) +
                       (f[6] < k) + (f[7] < k);
        lo += below;
        if (below < 8) return lo;
    }
}

// Counts one more occurrence of symbol s (0 to 313), whose leaf is node n, rebuilding first
// when the root has reached MaxFrequency, and moves nodes up so the frequencies stay in order.
// Inline, as it runs once per symbol in both directions of the codec. It climbs three levels
// between looks at whether it has passed the root: the look whose answer varies with the
// code's length comes a third as often, which costs less than the levels climbed in vain.
__attribute__((always_inline)) inline void UpdateTreeAt(size_t n, int s) {
    if (FreqTable[RootNode] == MaxFrequency) {
        RebuildTree();
        n = static_cast<uint16_t>(ParentTable[s + NodeCount]);
    }
    do {
#pragma GCC unroll 3
        for (int level = 0; level < 3; ++level) {
            uint16_t k = static_cast<uint16_t>(FreqTable[n] + 1);
            FreqTable[n] = k;
            if (k > FreqTable[n + 1]) {
                size_t l = n + 1;
                if (k > FreqTable[l + 1]) l = LastBelow(l + 1, k);
                SwapNodes(n, l, k);
                n = l;
            }
            n = static_cast<uint16_t>(ParentTable[n]);
        }
    } while (n != DummyNode);
}

__attribute__((always_inline)) inline void UpdateTree(int s) {
    UpdateTreeAt(static_cast<uint16_t>(ParentTable[s + NodeCount]), s);
}

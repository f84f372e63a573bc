// The adaptive Huffman code: start tree, rebuild by halving, and the update after each symbol.
#include "lzhuf/adaptive_tree.h"

#include <cstring>

uint16_t FreqTable[DummyNode + 2];
int16_t ChildTable[NodeCount];
int16_t ParentTable[DummyNode + 1];
uint16_t PrefixTable[1u << PrefixBits];
uint8_t PrefixDepth[NodeCount];
uint8_t PrefixCode[NodeCount];

void FillPrefixes(size_t q, unsigned code, unsigned depth) {
    PrefixDepth[q] = static_cast<uint8_t>(depth);
    PrefixCode[q] = static_cast<uint8_t>(code);
    size_t child = static_cast<uint16_t>(ChildTable[q]);
    if (depth == PrefixBits || child >= NodeCount) {
        unsigned spread = PrefixBits - depth;
        uint16_t entry = static_cast<uint16_t>(q | depth << PrefixDepthShift);
        for (unsigned v = code << spread; v < (code + 1) << spread; ++v)
            PrefixTable[v] = entry;
        if (child < NodeCount) {
            ForgetPrefixDepths(child);
            ForgetPrefixDepths(child + 1);
        }
        return;
    }
    FillPrefixes(child, code << 1, depth + 1);
    FillPrefixes(child + 1, code << 1 | 1, depth + 1);
}

void ForgetPrefixDepths(size_t q) {
    if (PrefixDepth[q] >= PrefixBits) return;
    PrefixDepth[q] = PrefixBits;
    size_t child = static_cast<uint16_t>(ChildTable[q]);
    if (child < NodeCount) {
        ForgetPrefixDepths(child);
        ForgetPrefixDepths(child + 1);
    }
}

namespace {

// The whole table and every depth, after the tree was built anew.
void FillAllPrefixes() {
    std::memset(PrefixDepth, PrefixBits, sizeof PrefixDepth);
    FillPrefixes(RootNode, 0, 0);
}

} // namespace

void InitTree() {
    for (int i = 0; i < SymbolCount; ++i) {
        FreqTable[i] = 1;
        ChildTable[i] = static_cast<int16_t>(i + NodeCount);
        ParentTable[i + NodeCount] = static_cast<int16_t>(i);
    }
    for (int i = 0, j = SymbolCount; j <= RootNode; i += 2, ++j) {
        FreqTable[j] = static_cast<uint16_t>(FreqTable[i] + FreqTable[i + 1]);
        ChildTable[j] = static_cast<int16_t>(i);
        ParentTable[i] = ParentTable[i + 1] = static_cast<int16_t>(j);
    }
    for (size_t i = NodeCount; i < DummyNode + 2; ++i)
        FreqTable[i] = 0xFFFF;
    ParentTable[RootNode] = static_cast<int16_t>(DummyNode);
    ParentTable[DummyNode] = static_cast<int16_t>(DummyNode);
    FillAllPrefixes();
}

namespace {

// Gathers the leaves at positions 0 to 313, in their order, with halved frequencies.
void CollectLeaves() {
    for (int i = 0, j = 0; i < NodeCount; ++i) {
        if (ChildTable[i] >= NodeCount) {
            FreqTable[j] = static_cast<uint16_t>((FreqTable[i] + 1) / 2);
            ChildTable[j] = ChildTable[i];
            ++j;
        }
    }
}

// Each new internal node goes after every node of equal or lower frequency; the nodes above
// it move up one place as a block.
void BuildInternalNodes() {
    for (int i = 0, j = SymbolCount; j < NodeCount; i += 2, ++j) {
        uint16_t f = static_cast<uint16_t>(FreqTable[i] + FreqTable[i + 1]);
        int k = j - 1;
        while (FreqTable[k] > f)
            --k;
        ++k;
        size_t moved = static_cast<size_t>(j - k);
        std::memmove(&FreqTable[k + 1], &FreqTable[k], moved * sizeof FreqTable[0]);
        std::memmove(&ChildTable[k + 1], &ChildTable[k], moved * sizeof ChildTable[0]);
        FreqTable[k] = f;
        ChildTable[k] = static_cast<int16_t>(i);
    }
}

void LinkParents() {
    for (int i = 0; i < NodeCount; ++i) {
        int k = ChildTable[i];
        if (k >= NodeCount) {
            ParentTable[k] = static_cast<int16_t>(i);
        } else {
            ParentTable[k] = ParentTable[k + 1] = static_cast<int16_t>(i);
        }
    }
}

} // namespace

void RebuildTree() {
    CollectLeaves();
    BuildInternalNodes();
    LinkParents();
    FillAllPrefixes();
}

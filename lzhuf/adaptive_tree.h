// The adaptive Huffman code of literals and match lengths, kept identically by the decoder
// and the encoder.
//
// The tree is stored as nodes ordered by frequency: node 626 is the root, leaves and internal
// nodes mix below it, and a node's two children always sit side by side. Encoder and decoder
// use the same program-wide tables, so one must finish its stream before the other starts.
#pragma once

#include "lzhuf/format.h"

#include <cstdint>

// Frequency of each node 0 to 626, non-decreasing with the index; entry 627 is a 0xFFFF
// sentinel that stops the upward scan of UpdateTree.
extern uint16_t FreqTable[NodeCount + 1];
// For an internal node the index of its first child (the second is the next index); for a
// leaf, NodeCount + its symbol.
extern int16_t ChildTable[NodeCount];
// Entries 0 to 626: the parent of each node (the root's entry is 0). Entry 627 + s: the node
// that holds symbol s.
extern int16_t ParentTable[NodeCount + SymbolCount];

// Every symbol with frequency 1, paired bottom-up into a balanced start tree.
void InitTree();
// Halves every leaf's frequency (rounding up) and rebuilds the internal nodes from them.
void RebuildTree();
// Counts one more occurrence of symbol s (0 to 313), rebuilding first when the root has
// reached MaxFrequency, and moves nodes up so the frequencies stay in order.
void UpdateTree(int s);

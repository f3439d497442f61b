#pragma once
// The adaptive Huffman model of the compressed archive entries, used alike by
// the decoder and by the archive tool's encoder so that both evolve the same
// tree.
//
// Nodes are kept in order of non-increasing weight with the root at index 0;
// an internal node's children are the nodes `child` and `child + 1`. The tree
// starts with two leaves, the end symbol and the escape symbol. A byte symbol
// enters the tree when it is first coded: the escape code is sent, then the
// byte in 8 plain bits, and the last node splits into itself and a new leaf.
// Each coded symbol then increments the weights on its path, swapping a node
// forward past lighter ones so that the order holds (the sibling property).
// When the root reaches kRebuildWeight all leaf weights are halved and the
// tree is rebuilt from them.

#include <cstdint>

class AdaptiveHuffman {
public:
    static constexpr int END = 256;
    static constexpr int ESCAPE = 257;
    static constexpr int SYMBOLS = 258;
    static constexpr int MAX_NODES = 2 * 256 + 3;
    static constexpr int kRebuildWeight = 1024;

    struct Node {
        int weight;
        int parent;
        int child; // internal: first child; leaf: symbol
        bool leaf;
    };

    AdaptiveHuffman() { reset(); }
    void reset();

    bool has(int symbol) const { return leafOf[symbol] >= 0; }
    const Node& node(int index) const { return nodes[index]; }
    int nodeCount() const { return nextFree; }

    // Adds a byte symbol after an escape. False when the symbol is already
    // present or the tree is full: such a stream is malformed.
    bool add(int symbol);

    // Counts one more occurrence of `symbol` (which must be present). False
    // only if the tree was found inconsistent.
    bool update(int symbol);

    // The code of a present symbol, root first: bits[0..length-1]. Returns
    // the length, or -1 when absent.
    int code(int symbol, uint8_t* bits, int capacity) const;
    // Code length in bits of a present symbol (-1 when absent).
    int codeLength(int symbol) const;

private:
    void rebuild();
    void swapNodes(int a, int b);
    void adopt(int index); // makes children / leaf table point at `index`

    Node nodes[MAX_NODES];
    int leafOf[SYMBOLS];
    int nextFree = 0;
};

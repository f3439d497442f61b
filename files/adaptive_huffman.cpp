#include "adaptive_huffman.h"

#include <cstring>

void AdaptiveHuffman::reset() {
    for (int& l : leafOf) l = -1;
    std::memset(nodes, 0, sizeof nodes);
    nodes[0] = Node{2, -1, 1, false};
    nodes[1] = Node{1, 0, END, true};
    nodes[2] = Node{1, 0, ESCAPE, true};
    leafOf[END] = 1;
    leafOf[ESCAPE] = 2;
    nextFree = 3;
}

void AdaptiveHuffman::adopt(int index) {
    Node& n = nodes[index];
    if (n.leaf) {
        leafOf[n.child] = index;
    } else {
        nodes[n.child].parent = index;
        nodes[n.child + 1].parent = index;
    }
}

bool AdaptiveHuffman::add(int symbol) {
    if (symbol < 0 || symbol > 255 || has(symbol) || nextFree + 2 > MAX_NODES) return false;
    int last = nextFree - 1;
    int copy = nextFree;
    int fresh = nextFree + 1;
    nodes[copy] = nodes[last];
    nodes[copy].parent = last;
    adopt(copy);
    nodes[fresh] = Node{0, last, symbol, true};
    leafOf[symbol] = fresh;
    nodes[last].leaf = false;
    nodes[last].child = copy;
    nextFree += 2;
    return true;
}

void AdaptiveHuffman::swapNodes(int a, int b) {
    Node na = nodes[a], nb = nodes[b];
    // Contents swap; the parent links belong to the positions.
    nodes[a] = Node{nb.weight, na.parent, nb.child, nb.leaf};
    nodes[b] = Node{na.weight, nb.parent, na.child, na.leaf};
    adopt(a);
    adopt(b);
}

bool AdaptiveHuffman::update(int symbol) {
    if (nodes[0].weight == kRebuildWeight) rebuild();
    int n = leafOf[symbol];
    if (n < 0) return false;
    // A walk longer than the node count means the links form a cycle.
    for (int steps = 0; steps <= MAX_NODES; ++steps) {
        int w = ++nodes[n].weight;
        if (n == 0) return true;
        int k = n;
        while (k > 1 && nodes[k - 1].weight < w) --k;
        if (k != n) {
            if (k == nodes[n].parent) return false;
            swapNodes(k, n);
            n = k;
        }
        n = nodes[n].parent;
        if (n < 0 || n >= nextFree) return false;
    }
    return false;
}

void AdaptiveHuffman::rebuild() {
    // Leaves to the top end, in order, with halved weights (rounded up).
    int j = nextFree - 1;
    for (int i = nextFree - 1; i >= 0; --i) {
        if (!nodes[i].leaf) continue;
        nodes[j] = nodes[i];
        nodes[j].weight = (nodes[j].weight + 1) / 2;
        --j;
    }
    // Internal nodes below them, pairing from the bottom up; each new node
    // is inserted so that the weights stay non-increasing.
    for (int i = nextFree - 2; j >= 0; --j, i -= 2) {
        int w = nodes[i].weight + nodes[i + 1].weight;
        int k = j + 1;
        while (k < nextFree && nodes[k].weight > w) ++k;
        std::memmove(&nodes[j], &nodes[j + 1], sizeof(Node) * size_t(k - 1 - j));
        nodes[k - 1] = Node{w, -1, i, false};
    }
    nodes[0].parent = -1;
    for (int i = 0; i < nextFree; ++i) adopt(i);
}

int AdaptiveHuffman::code(int symbol, uint8_t* bits, int capacity) const {
    int n = leafOf[symbol];
    if (n < 0) return -1;
    int length = 0;
    uint8_t reversed[MAX_NODES];
    while (n != 0) {
        int parent = nodes[n].parent;
        reversed[length++] = uint8_t(n - nodes[parent].child);
        n = parent;
    }
    if (length > capacity) return -1;
    for (int i = 0; i < length; ++i) bits[i] = reversed[length - 1 - i];
    return length;
}

int AdaptiveHuffman::codeLength(int symbol) const {
    int n = leafOf[symbol];
    if (n < 0) return -1;
    int length = 0;
    while (n != 0) {
        n = nodes[n].parent;
        ++length;
    }
    return length;
}

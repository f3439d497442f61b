#pragma once
// The player's own heap as it counts it: every operator new and delete of
// the program goes through a counting allocator (heap_count.cpp, linked into
// the programs only), so that a long run can show whether the player itself
// holds more memory over time, apart from what the platform below it does.

#include <cstdint>

struct HeapCount {
    int64_t allocations = 0; // live blocks
    int64_t bytes = 0;       // their requested sizes
};

HeapCount heapCount();

// Replaces the global allocation functions of the program with counting
// ones: each block carries its size in a header in front of it.
#include "heap_count.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int64_t> liveBlocks{0}, liveBytes{0};
// Keeps the block after the header aligned as malloc's own.
constexpr size_t HEADER = 16;

void* allocate(size_t size) {
    void* block = std::malloc(size + HEADER);
    if (!block) return nullptr;
    *static_cast<size_t*>(block) = size;
    liveBlocks.fetch_add(1, std::memory_order_relaxed);
    liveBytes.fetch_add(int64_t(size), std::memory_order_relaxed);
    return static_cast<char*>(block) + HEADER;
}

void release(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - HEADER;
    liveBlocks.fetch_sub(1, std::memory_order_relaxed);
    liveBytes.fetch_sub(int64_t(*static_cast<size_t*>(block)), std::memory_order_relaxed);
    std::free(block);
}

void* allocateOrThrow(size_t size) {
    for (;;) {
        if (void* p = allocate(size)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

} // namespace

HeapCount heapCount() {
    return {liveBlocks.load(std::memory_order_relaxed), liveBytes.load(std::memory_order_relaxed)};
}

void* operator new(size_t size) {
    return allocateOrThrow(size);
}
void* operator new[](size_t size) {
    return allocateOrThrow(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, size_t) noexcept {
    release(p);
}
void operator delete[](void* p, size_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}

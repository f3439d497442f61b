#include "virtual_file.h"

#include <cstddef>
#include <new>

uint8_t* readRemaining(VirtualFile& file, uint32_t* bytesRead) {
    uint32_t start = file.tell();
    uint32_t want = file.size > start ? file.size - start : 0;
    uint8_t* buffer = new (std::nothrow) uint8_t[size_t(want) + 1];
    if (!buffer) return nullptr;
    uint32_t got = 0;
    while (got < want) {
        uint32_t n = file.read(buffer + got, want - got);
        if (n == 0) break;
        got += n;
    }
    if (got != want) {
        delete[] buffer;
        return nullptr;
    }
    buffer[want] = 0;
    *bytesRead = got;
    return buffer;
}

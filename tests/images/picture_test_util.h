#pragma once
// Helpers shared by the picture decoder tests: loading test files through
// the loader, and building small picture files in memory.

#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "support/memory_file.h"
#include "support/png_image.h"

#include <string>
#include <vector>

inline std::string testImage(const std::string& relative) {
    return std::string(NL_TESTDATA_DIR) + "/images/" + relative;
}

// Loads a real test file through a disk file object, as the player would.
inline bool loadTestPicture(const std::string& relative, int flip, Picture& out,
                            int* targaError = nullptr) {
    DiskFile disk;
    return loadPicture(disk, testImage(relative).c_str(), flip, out, targaError);
}

// Loads bytes under `name` through a memory file system.
inline bool loadBytes(const std::string& name, const std::vector<uint8_t>& bytes, int flip,
                      Picture& out, int* targaError = nullptr) {
    auto files = std::make_shared<MemoryFile::Files>();
    (*files)[name] = bytes;
    MemoryFile memory(files);
    return loadPicture(memory, name.c_str(), flip, out, targaError);
}

inline std::vector<uint8_t> readTestFile(const std::string& relative) {
    DiskFile disk;
    std::vector<uint8_t> bytes;
    if (!disk.openRead(testImage(relative).c_str())) return bytes;
    bytes.resize(disk.size);
    disk.read(bytes.data(), disk.size);
    disk.close();
    return bytes;
}

inline uint32_t at(const Picture& p, int x, int y) {
    return p.pixels[size_t(y) * size_t(p.width) + size_t(x)];
}

inline void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}

// Rows of `picture` from the top (flipped = rows stored bottom first)
// compared with a reference PNG; returns the largest channel difference.
inline int maxDifference(const Picture& picture, const PngImage& ref, bool bottomFirst) {
    if (picture.width != ref.width || picture.height != ref.height) return 1000;
    int worst = 0;
    for (int y = 0; y < ref.height; ++y) {
        const int row = bottomFirst ? ref.height - 1 - y : y;
        for (int x = 0; x < ref.width; ++x) {
            const uint32_t a = at(picture, x, row), b = ref.pixels[size_t(y * ref.width + x)];
            for (int s = 0; s < 32; s += 8) {
                const int d = std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF));
                if (d > worst) worst = d;
            }
        }
    }
    return worst;
}

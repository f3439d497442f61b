#pragma once
// The ".pm" file that makes a polygon layer progressive, and the per-frame
// level choice from the layer's size on screen.

#include "base/math3d.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint16_t PM_NEVER_COLLAPSES = 0xFFFF;
// Levels below this many points are never drawn.
constexpr int PM_LOWEST_RESOLUTION = 28;

// The ".pm" file: little-endian unsigned 16-bit values throughout.
struct ProgressiveFile {
    int minRes = 0;
    std::vector<uint16_t> basePermutation; // per point: its priority
    std::vector<uint16_t> baseCollapseMap; // per welded vertex: its target, or 0xFFFF
};

// False when the data ends before the arrays its counts announce (nothing
// is read past `size`); bytes after the last array are ignored.
bool readProgressiveFile(const uint8_t* data, size_t size, ProgressiveFile& out);
std::vector<uint8_t> writeProgressiveFile(const ProgressiveFile& file);

// The level for a mesh whose box reached `projectedSize` (largest
// half-extent in normalised device coordinates): a quarter step of maxRes,
// never below the file's minimum nor the lowest resolution, never above
// maxRes.
int chooseResolution(int minRes, int maxRes, float projectedSize);

// Largest half-extent of eight clip-space corners after the divide by w.
float projectedHalfExtent(const Vec4 corners[8]);


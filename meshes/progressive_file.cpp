#include "progressive_file.h"

#include "base/byte_reader.h"

#include <algorithm>
#include <cmath>

namespace {

bool readArray(ByteReader& in, std::vector<uint16_t>& out) {
    const uint16_t count = in.u16le();
    if (in.failed() || in.remaining() < size_t(count) * 2) return false;
    out.resize(count);
    for (uint16_t& v : out) v = in.u16le();
    return !in.failed();
}

void putU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v & 0xFF));
    out.push_back(uint8_t(v >> 8));
}

} // namespace

bool readProgressiveFile(const uint8_t* data, size_t size, ProgressiveFile& out) {
    out = ProgressiveFile{};
    ByteReader in(data, size);
    out.minRes = in.u16le();
    if (in.failed() || !readArray(in, out.basePermutation) || !readArray(in, out.baseCollapseMap)) {
        out = ProgressiveFile{};
        return false;
    }
    return true;
}

std::vector<uint8_t> writeProgressiveFile(const ProgressiveFile& file) {
    std::vector<uint8_t> out;
    putU16(out, uint16_t(file.minRes));
    putU16(out, uint16_t(file.basePermutation.size()));
    for (uint16_t v : file.basePermutation) putU16(out, v);
    putU16(out, uint16_t(file.baseCollapseMap.size()));
    for (uint16_t v : file.baseCollapseMap) putU16(out, v);
    return out;
}

int chooseResolution(int minRes, int maxRes, float projectedSize) {
    const int low = std::max(minRes, PM_LOWEST_RESOLUTION);
    const float c = projectedSize > 0 ? std::min(projectedSize, 1.0f) : 0.0f;
    const int q = int(std::floor(4 * c));
    int r = int(double(maxRes) * q * 0.25);
    r = std::max(r, low);
    return std::min(r, maxRes);
}

float projectedHalfExtent(const Vec4 corners[8]) {
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (int k = 0; k < 8; ++k) {
        // A corner at or behind the eye: the box reaches the viewer, whom
        // it fills (the divide would fold it back into a small size).
        if (!(corners[k].w > 0)) return 1.0f;
        const float px = corners[k].x / corners[k].w, py = corners[k].y / corners[k].w;
        minX = k ? std::min(minX, px) : px;
        maxX = k ? std::max(maxX, px) : px;
        minY = k ? std::min(minY, py) : py;
        maxY = k ? std::max(maxY, py) : py;
    }
    return std::max((maxX - minX) / 2, (maxY - minY) / 2);
}


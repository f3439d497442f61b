#pragma once
// Reference pictures for decoder tests: PNG files read into ARGB words
// (B, G, R, A in memory), row 0 the top row.

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// False when the file cannot be read as a PNG.
bool readPng(const std::string& path, PngImage& out);

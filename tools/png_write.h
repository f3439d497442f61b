#pragma once
// Writing pictures as PNG files for the tools: ARGB words (B, G, R, A in
// memory), row 0 at the top of the file, alpha kept.

#include <cstdint>
#include <string>

// False when the file cannot be written.
bool writePng(const std::string& path, const uint32_t* argb, int width, int height);

#pragma once
// The Direct3D formats the program considers, in the order it checks them,
// with the names the setup shows. Entries 0-9 are display and back-buffer
// formats, 10-31 texture and render-target formats (the first ten again, then
// the rest), 32-38 depth formats.

#include <windows.h>
#include <d3d8.h>

struct FormatName {
    D3DFORMAT format;
    const char* name;
};

constexpr int FORMAT_TABLE_SIZE = 39;
constexpr int FIRST_BACKBUFFER_FORMAT = 0, BACKBUFFER_FORMAT_COUNT = 10;
constexpr int FIRST_TEXTURE_FORMAT = 10, TEXTURE_FORMAT_COUNT = 22;
constexpr int FIRST_DEPTH_FORMAT = 32, DEPTH_FORMAT_COUNT = 7;

extern const FormatName kFormatTable[FORMAT_TABLE_SIZE];

// The name of a format, or "?" when it is not in the table.
const char* formatName(D3DFORMAT format);

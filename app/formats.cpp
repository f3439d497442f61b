#include "formats.h"

#define NL_FORMAT(f)                                                                               \
    { D3DFMT_##f, #f }

const FormatName kFormatTable[FORMAT_TABLE_SIZE] = {
    NL_FORMAT(A8R8G8B8), NL_FORMAT(A4R4G4B4),     NL_FORMAT(R8G8B8),      NL_FORMAT(X8R8G8B8),
    NL_FORMAT(R5G6B5),   NL_FORMAT(X1R5G5B5),     NL_FORMAT(A1R5G5B5),    NL_FORMAT(R3G3B2),
    NL_FORMAT(A8R3G3B2), NL_FORMAT(X4R4G4B4),

    NL_FORMAT(A8R8G8B8), NL_FORMAT(A4R4G4B4),     NL_FORMAT(R8G8B8),      NL_FORMAT(X8R8G8B8),
    NL_FORMAT(R5G6B5),   NL_FORMAT(X1R5G5B5),     NL_FORMAT(A1R5G5B5),    NL_FORMAT(R3G3B2),
    NL_FORMAT(A8R3G3B2), NL_FORMAT(X4R4G4B4),     NL_FORMAT(P8),          NL_FORMAT(A8),
    NL_FORMAT(G16R16),   NL_FORMAT(A8P8),         NL_FORMAT(A2B10G10R10), NL_FORMAT(DXT1),
    NL_FORMAT(DXT2),     NL_FORMAT(DXT3),         NL_FORMAT(DXT4),        NL_FORMAT(DXT5),
    NL_FORMAT(UYVY),     NL_FORMAT(YUY2),

    NL_FORMAT(D24S8),    NL_FORMAT(D24X4S4),      NL_FORMAT(D32),         NL_FORMAT(D24X8),
    NL_FORMAT(D15S1),    NL_FORMAT(D16_LOCKABLE), NL_FORMAT(D16),
};

const char* formatName(D3DFORMAT format) {
    for (const FormatName& f : kFormatTable)
        if (f.format == format) return f.name;
    return "?";
}

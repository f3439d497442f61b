#pragma once
// Direct3D 8 values that portable drawing code names (render and stage
// states, operations, arguments, filters, address modes): mirrored here so
// that state plans build and are tested without Windows headers, and checked
// against the real enums in the Windows build (d3d_values_check.cpp).

#include "lightwave/wrap_mode.h"

#include <cstdint>

namespace d3d {

// Render states.
constexpr uint32_t RS_ZWRITEENABLE = 14, RS_ALPHATESTENABLE = 15, RS_SRCBLEND = 19,
                   RS_DESTBLEND = 20, RS_CULLMODE = 22, RS_ALPHAREF = 24, RS_ALPHAFUNC = 25,
                   RS_ALPHABLENDENABLE = 27, RS_SPECULARENABLE = 29, RS_TEXTUREFACTOR = 60,
                   RS_NORMALIZENORMALS = 143;
// Texture-stage states.
constexpr uint32_t TSS_COLOROP = 1, TSS_COLORARG1 = 2, TSS_COLORARG2 = 3, TSS_ALPHAOP = 4,
                   TSS_ALPHAARG1 = 5, TSS_ALPHAARG2 = 6, TSS_TEXCOORDINDEX = 11, TSS_ADDRESSU = 13,
                   TSS_ADDRESSV = 14, TSS_BORDERCOLOR = 15, TSS_MAGFILTER = 16, TSS_MINFILTER = 17,
                   TSS_MIPFILTER = 18,
                   TSS_TEXTURETRANSFORMFLAGS = 24, TSS_ADDRESSW = 25, TSS_COLORARG0 = 26;
// Stage operations.
constexpr uint32_t TOP_DISABLE = 1, TOP_SELECTARG1 = 2, TOP_MODULATE = 4, TOP_ADD = 7,
                   TOP_MODULATEALPHA_ADDCOLOR = 18, TOP_MULTIPLYADD = 25;
// Stage arguments and their modifiers.
constexpr uint32_t TA_DIFFUSE = 0, TA_CURRENT = 1, TA_TEXTURE = 2, TA_TFACTOR = 3, TA_SPECULAR = 4,
                   TA_COMPLEMENT = 0x10, TA_ALPHAREPLICATE = 0x20;
constexpr uint32_t TCI_CAMERASPACEREFLECTIONVECTOR = 0x30000;
constexpr uint32_t TTFF_DISABLE = 0, TTFF_COUNT2 = 2, TTFF_COUNT3 = 3, TTFF_COUNT4 = 4,
                   TTFF_PROJECTED = 256;
constexpr uint32_t TEXF_NONE = 0, TEXF_POINT = 1, TEXF_LINEAR = 2;
// Address modes: the ones texture layers already carry.
constexpr uint32_t TADDRESS_WRAP = ADDRESS_WRAP, TADDRESS_MIRROR = ADDRESS_MIRROR,
                   TADDRESS_CLAMP = ADDRESS_CLAMP, TADDRESS_BORDER = ADDRESS_BORDER;
constexpr uint32_t BLEND_ONE = 2, BLEND_SRCALPHA = 5, BLEND_INVSRCALPHA = 6;
constexpr uint32_t CMP_GREATER = 5;
constexpr uint32_t CULL_NONE = 1, CULL_CCW = 3;
// Transform slots.
constexpr uint32_t TS_TEXTURE0 = 16, TS_TEXTURE1 = 17;

} // namespace d3d

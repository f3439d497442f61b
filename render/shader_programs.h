#pragma once
// The surface programs' vertex and pixel programs as Direct3D 8 tokens, and
// the vertex declarations they are created with. Each function returns a
// complete token stream (version token ... 0x0000FFFF) for
// CreateVertexShader / CreatePixelShader.
//
// Constant registers: matrices are uploaded transposed, so that c2..c5 are
// the rows of transpose(world x view x projection) -- the columns of the
// row-vector matrix -- and `dp4 oPos.x, v0, c2` ... `dp4 oPos.w, v0, c5`
// gives the clip position of v0. c13..c16 (world) and c26..c29 (shadow
// texture matrix) follow the same rule. The layout is shared by every
// program; the renderer writes it.
//
// Portable: builds without Windows headers.

#include <cstdint>
#include <vector>

namespace shader {

enum ConstantRegister : uint32_t {
    C_ZERO = 0,             // (0, 0, 0, 0)
    C_ONE = 1,              // (1, 1, 1, 1)
    C_WORLD_VIEW_PROJ = 2,  // c2..c5: transpose(world x view x projection)
    C_WORLD_VIEW = 6,       // c6..c9: transpose(world x view)
    C_WORLD = 13,           // c13..c16: transpose(world)
    C_HALF = 18,            // (0.5, 0.5, 0.5, 0.5)
    C_LIGHT_COLOUR = 19,    // the first light's colour
    C_DEPTH_SCALE = 20,     // (1 / light range, 0, 0, 1), colour-encoded shadow pass
    C_LIGHT_DIRECTION = 21, // direction towards the first light, world space
    C_LIGHT_POSITION = 22,  // the first light's position, world space
    C_SHADOW_MATRIX = 26,   // c26..c29: transpose(shadow texture matrix)
    C_AMBIENT = 30,         // ambient colour, RGBA 0..1
    C_CAMERA_POSITION = 34, // camera position, world space
    C_SLOT_COLOUR = 40,     // c40..c47: diffuse colour of light slot k
    C_SLOT_POSITION = 50,   // c50..c57: light slot k in object space (c50: dissolve)
    C_SLOT_ATTENUATION = 60, // c60..c67: attenuation of light slot k
    C_BLACK = 70,           // (0, 0, 0, 1)
};

// Vertex formats 1 and 3 (36 bytes): v0 position (float3), v1 normal
// (float3), v2 diffuse (D3DCOLOR), v3 texcoord (float2).
std::vector<uint32_t> surfaceVertexDeclaration();
// Vertex format 2 (80 bytes): v0 position, v1 normal, v2 diffuse,
// v3 texcoord 0, v5 tangent S, v6 tangent T, v4 S x T, v7 texcoord 1, in
// that order in the stream.
std::vector<uint32_t> bumpVertexDeclaration();

// vs.1.0, format 1. The shadow-map pass: clip position into oPos (kept in
// r0); oT0 = (c20.x * clip w, c20.y, c20.z, c20.w), which the 1D texture
// coordinate map turns into a grey level of depth / range; oD0 = c70.
std::vector<uint32_t> smFlatShaderProgram();

// vs.1.0, format 2. Per-pixel bump lighting set-up:
//   oPos = clip position;
//   S', T', N' = v5, v6, v1 turned into world space by the 3x3 of c13..c15;
//   oT2 = (normalise(S'.c21, T'.c21, N'.c21), c1.w): the light in tangent space;
//   Pw = v0 x c13..c15; H = normalise(c21 + normalise(c34 - Pw));
//   oT3 = (H.S', H.T', H.N', c1.w): the half vector in tangent space;
//   oT0 = oT1 = v3;
//   oD0 = oT3 x c18 + c18: the half vector packed into 0..1.
std::vector<uint32_t> dot3dsVertexProgram();

// ps.1.1 for dot3dsVertexProgram: t0 = colour texture, t1 = normal map (alpha
// = gloss), t2 and t3 = the light and half vectors (taken with texcoord, so
// each component is clamped to 0..1). Result:
//   (t2 . N) x t0 + (t3 . N)^2 x t1.a,  N = 2 t1 - 1.
// ps.1.1 has only r0 and r1 to work in, so the squared specular term is
// formed as (r1 x r1) x t1.a rather than r1 x (r1 x t1.a), which would need a
// third register or writing a texture register after sampling; the product
// is the same, and no intermediate leaves the -1..1 range.
std::vector<uint32_t> dot3dsPixelProgram();

// vs.1.0, format 3. Shadow receiver: oPos = clip position; oD0 = c30
// (ambient); r0 = v0 x c26..c29 (shadow-map coordinates: x, y, depth
// reference, w); oD1 = (c0 < r0.w) per component, 1 in front of the light
// and 0 behind it; oT0 = oT1 = r0; oT2 = v3.
std::vector<uint32_t> hwSoftShadowMapProgram();

// ps.1.1 for hwSoftShadowMapProgram on a depth-texture shadow map, which
// compares only through a pixel program. It computes what the receiver's
// fixed-function stages compute:
//   stage 0: t0 (depth comparison, 1 lit, 0 shadowed) x v1 (in front of the light)
//   stage 1: v0 (ambient) + t1 (spot texture) x stage 0
//   stage 2: x t2 (colour texture), only `withColourTexture`
// in RGB; alpha is the diffuse alpha v0.a, as those stages leave it. The
// comparison reference is the coordinate's z / w in the 0..1 depth range;
// stages 0 and 1 need D3DTTFF_PROJECTED unless w is 1.
std::vector<uint32_t> shadowReceiverPixelProgram(bool withColourTexture);

} // namespace shader

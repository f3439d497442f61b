#pragma once
// The four D3DX 8 functions the player uses, with their usual signatures,
// implemented here over Direct3D 8 (no D3DX library exists for this
// platform). Supported: 32-bit ARGB textures for mip filtering; 32-bit ARGB
// sources of equal size for surface loading, into A8R8G8B8, X8R8G8B8, DXT1 or
// DXT5 destinations. Anything else returns D3DERR_INVALIDCALL.

#include <d3d8.h>

#ifndef D3DX_DEFAULT
#define D3DX_DEFAULT ((UINT)-1)
#endif
#define D3DX_FILTER_NONE 1
#define D3DX_FILTER_POINT 2
#define D3DX_FILTER_LINEAR 3
#define D3DX_FILTER_TRIANGLE 4
#define D3DX_FILTER_BOX 5

struct D3DXVECTOR3 : D3DVECTOR {
    D3DXVECTOR3() : D3DVECTOR{} {}
    D3DXVECTOR3(float vx, float vy, float vz) : D3DVECTOR{vx, vy, vz} {}
};

struct D3DXMATRIX : D3DMATRIX {};

HRESULT WINAPI D3DXFilterTexture(IDirect3DBaseTexture8* texture, const PALETTEENTRY* palette,
                                 UINT srcLevel, DWORD filter);

HRESULT WINAPI D3DXLoadSurfaceFromSurface(IDirect3DSurface8* destSurface,
                                          const PALETTEENTRY* destPalette, const RECT* destRect,
                                          IDirect3DSurface8* srcSurface,
                                          const PALETTEENTRY* srcPalette, const RECT* srcRect,
                                          DWORD filter, D3DCOLOR colorKey);

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye,
                                      const D3DXVECTOR3* at, const D3DXVECTOR3* up);

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2);

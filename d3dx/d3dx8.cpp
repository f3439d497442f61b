#include "d3dx8.h"

#include "base/math3d.h"
#include "pixel_ops.h"

#include <cstring>
#include <vector>

// D3DMATRIX and Matrix4 are both a row-major float[4][4].
static_assert(sizeof(Matrix4) == sizeof(D3DMATRIX), "Matrix4 must have D3DMATRIX's layout");

namespace {

Vec3 toVec3(const D3DXVECTOR3& v) {
    return {v.x, v.y, v.z};
}

Matrix4 toMatrix4(const D3DMATRIX& m) {
    Matrix4 r;
    std::memcpy(&r, &m, sizeof r);
    return r;
}

D3DXMATRIX* writeMatrix(D3DXMATRIX* out, const Matrix4& m) {
    std::memcpy(static_cast<D3DMATRIX*>(out), &m, sizeof m);
    return out;
}

bool isArgb32(D3DFORMAT f) {
    return f == D3DFMT_A8R8G8B8 || f == D3DFMT_X8R8G8B8;
}

// Copies a locked 32-bit surface into a tight buffer, alpha forced to 255 for
// X8R8G8B8 so that compression sees an opaque picture.
std::vector<uint32_t> readSurface(const D3DLOCKED_RECT& lock, UINT w, UINT h, D3DFORMAT format) {
    std::vector<uint32_t> out(size_t(w) * h);
    for (UINT y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(lock.pBits) + size_t(y) * size_t(lock.Pitch));
        for (UINT x = 0; x < w; ++x)
            out[size_t(y) * w + x] = format == D3DFMT_X8R8G8B8 ? row[x] | 0xFF000000u : row[x];
    }
    return out;
}

bool wholeSurface(const RECT* rect, const D3DSURFACE_DESC& desc) {
    return !rect || (rect->left == 0 && rect->top == 0 && UINT(rect->right) == desc.Width &&
                     UINT(rect->bottom) == desc.Height);
}

} // namespace

HRESULT WINAPI D3DXFilterTexture(IDirect3DBaseTexture8* base, const PALETTEENTRY*, UINT srcLevel,
                                 DWORD) {
    if (!base || base->GetType() != D3DRTYPE_TEXTURE) return D3DERR_INVALIDCALL;
    auto* texture = static_cast<IDirect3DTexture8*>(base);
    if (srcLevel == D3DX_DEFAULT) srcLevel = 0;
    const DWORD levels = texture->GetLevelCount();
    for (DWORD level = srcLevel + 1; level < levels; ++level) {
        D3DSURFACE_DESC from, to;
        texture->GetLevelDesc(level - 1, &from);
        texture->GetLevelDesc(level, &to);
        if (!isArgb32(from.Format)) return D3DERR_INVALIDCALL;
        D3DLOCKED_RECT src, dst;
        if (FAILED(texture->LockRect(level - 1, &src, nullptr, D3DLOCK_READONLY)))
            return D3DERR_INVALIDCALL;
        if (FAILED(texture->LockRect(level, &dst, nullptr, 0))) {
            texture->UnlockRect(level - 1);
            return D3DERR_INVALIDCALL;
        }
        boxFilterLevel(static_cast<const uint32_t*>(src.pBits), int(from.Width), int(from.Height),
                       src.Pitch / 4, static_cast<uint32_t*>(dst.pBits), dst.Pitch / 4);
        texture->UnlockRect(level);
        texture->UnlockRect(level - 1);
    }
    return D3D_OK;
}

HRESULT WINAPI D3DXLoadSurfaceFromSurface(IDirect3DSurface8* dest, const PALETTEENTRY*,
                                          const RECT* destRect, IDirect3DSurface8* src,
                                          const PALETTEENTRY*, const RECT* srcRect, DWORD,
                                          D3DCOLOR) {
    if (!dest || !src) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC sd, dd;
    src->GetDesc(&sd);
    dest->GetDesc(&dd);
    if (!isArgb32(sd.Format) || sd.Width != dd.Width || sd.Height != dd.Height ||
        !wholeSurface(srcRect, sd) || !wholeSurface(destRect, dd))
        return D3DERR_INVALIDCALL;
    const bool dxt1 = dd.Format == D3DFMT_DXT1, dxt5 = dd.Format == D3DFMT_DXT5;
    if (!dxt1 && !dxt5 && !isArgb32(dd.Format)) return D3DERR_INVALIDCALL;

    D3DLOCKED_RECT in;
    if (FAILED(src->LockRect(&in, nullptr, D3DLOCK_READONLY))) return D3DERR_INVALIDCALL;
    std::vector<uint32_t> pixels = readSurface(in, sd.Width, sd.Height, sd.Format);
    src->UnlockRect();

    D3DLOCKED_RECT out;
    if (FAILED(dest->LockRect(&out, nullptr, 0))) return D3DERR_INVALIDCALL;
    if (dxt1 || dxt5) {
        compressDxt(pixels.data(), int(sd.Width), int(sd.Height), int(sd.Width), dxt5,
                    static_cast<uint8_t*>(out.pBits), out.Pitch);
    } else {
        for (UINT y = 0; y < sd.Height; ++y) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(out.pBits) +
                                                    size_t(y) * size_t(out.Pitch));
            for (UINT x = 0; x < sd.Width; ++x) row[x] = pixels[size_t(y) * sd.Width + x];
        }
    }
    dest->UnlockRect();
    return D3D_OK;
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye,
                                      const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
    return writeMatrix(out, lookAtLH(toVec3(*eye), toVec3(*at), toVec3(*up)));
}

// Both operands are copied before `out` is written, so `out` may be m1 or m2.
D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* m1, const D3DXMATRIX* m2) {
    return writeMatrix(out, toMatrix4(*m1) * toMatrix4(*m2));
}

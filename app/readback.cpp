#include "readback.h"

namespace {

uint32_t expand565(uint16_t p) {
    uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
    return 0xFF000000u | ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}

} // namespace

bool readSurface(IDirect3DDevice8* device, IDirect3DSurface8* surface, Readback* out) {
    D3DSURFACE_DESC desc;
    if (FAILED(surface->GetDesc(&desc))) return false;
    IDirect3DSurface8* copy = nullptr;
    if (FAILED(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy)))
        return false;
    bool ok = false;
    D3DLOCKED_RECT locked;
    if (SUCCEEDED(device->CopyRects(surface, nullptr, 0, copy, nullptr)) &&
        SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
        out->width = desc.Width;
        out->height = desc.Height;
        out->pixels.assign(size_t(desc.Width) * desc.Height, 0);
        ok = true;
        for (UINT y = 0; y < desc.Height && ok; ++y) {
            const BYTE* row = static_cast<const BYTE*>(locked.pBits) + size_t(y) * locked.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                uint32_t& dst = out->pixels[size_t(y) * desc.Width + x];
                switch (desc.Format) {
                case D3DFMT_A8R8G8B8:
                    dst = reinterpret_cast<const uint32_t*>(row)[x];
                    break;
                case D3DFMT_X8R8G8B8:
                    dst = reinterpret_cast<const uint32_t*>(row)[x] | 0xFF000000u;
                    break;
                case D3DFMT_R5G6B5:
                    dst = expand565(reinterpret_cast<const uint16_t*>(row)[x]);
                    break;
                default:
                    ok = false;
                    break;
                }
            }
        }
        copy->UnlockRect();
    }
    copy->Release();
    return ok;
}

bool readBackBuffer(IDirect3DDevice8* device, Readback* out) {
    IDirect3DSurface8* back = nullptr;
    if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
    bool ok = readSurface(device, back, out);
    back->Release();
    return ok;
}

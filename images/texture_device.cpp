// The device half of the texture classes: creating, filling, filtering,
// compressing and releasing Direct3D textures.

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "texture.h"

#include "app/device_context.h"
#include "base/diag_log.h"
#include "base/message_box.h"
#include "d3dx/d3dx8.h"
#include "texture_list.h"

#include <cstring>

namespace {

DeviceContext* deviceContext(DeviceContextBase* base) {
    return static_cast<DeviceContext*>(base);
}

} // namespace

void Texture::releaseDeviceTextures() {
    for (IDirect3DTexture8*& t : deviceTextures) {
        if (t) t->Release();
        t = nullptr;
    }
    for (IDirect3DTexture8*& t : currentTextures) t = nullptr;
}

IDirect3DSurface8* Texture::renderSurface(size_t output) {
    if (pool != D3DPOOL_DEFAULT || output >= deviceTextures.size() || !deviceTextures[output])
        return nullptr;
    IDirect3DSurface8* surface = nullptr;
    if (!D3D_CHECK(deviceTextures[output]->GetSurfaceLevel(0, &surface))) return nullptr;
    return surface;
}

void Texture::create(int w, int h, uint32_t buildFlags, const char* textureName) {
    storeCreation(w, h, buildFlags, textureName);
    releaseDeviceTextures();
    const UINT levels = (flags & TEXTURE_MIPMAPS) ? 0 : 1;
    const bool compressed = (flags & TEXTURE_COMPRESS) && !(flags & TEXTURE_NORMAL_MAP);
    const D3DFORMAT compressedFormat =
        (flags & TEXTURE_ALPHA_FROM_INTENSITY) ? D3DFMT_DXT5 : D3DFMT_DXT1;
    for (size_t i = 0; i < deviceTextures.size(); ++i) {
        IDirect3DDevice8* device = deviceContext(context)->devices[i];
        if (!device) continue;
        // A texture the device refuses stays null; users check for it.
        const bool made =
            i > 0 && compressed
                ? D3D_CHECK(device->CreateTexture(UINT(w), UINT(h), levels, 0, compressedFormat,
                                                  D3DPOOL_MANAGED, &deviceTextures[i]))
                : D3D_CHECK(device->CreateTexture(UINT(w), UINT(h), levels, 0, D3DFORMAT(format),
                                                  D3DPOOL(pool), &deviceTextures[i]));
        if (!made) deviceTextures[i] = nullptr;
        countResource(deviceTextures[i]);
    }
    levelCount =
        !deviceTextures.empty() && deviceTextures[0] ? int(deviceTextures[0]->GetLevelCount()) : 0;
    currentTextures = deviceTextures;
}

void Texture::build() {
    if (buildMissing()) return;
    int W = 0, H = 0;
    const DWORD maxW = context ? deviceContext(context)->hardwareCaps.MaxTextureWidth : 0;
    const DWORD maxH = context ? deviceContext(context)->hardwareCaps.MaxTextureHeight : 0;
    textureDestinationSize(width, height, int(maxW), int(maxH), &W, &H);
    const int sourceWidth = width, sourceHeight = height;
    create(W, H, flags, name.c_str());

    // An alpha source is read through its own picture, which its build frees:
    // it serves only while it still has one at least this large.
    Texture* alpha = alphaSource;
    if (alpha && (!alpha->pixels || alpha->width < sourceWidth || alpha->height < sourceHeight)) {
        diagLog() << "alpha source of " << name << " has no picture; ignored\n";
        alpha = nullptr;
    }
    D3DLOCKED_RECT lock;
    if (!deviceTextures.empty() && deviceTextures[0] &&
        SUCCEEDED(deviceTextures[0]->LockRect(0, &lock, nullptr, 0))) {
        resampleLevel(
            static_cast<uint32_t*>(lock.pBits), W, H, lock.Pitch / 4, sourceWidth, sourceHeight,
            flags, alphaMode,
            [&](float x, float y) { return sample(x, y, sourceWidth, sourceHeight); },
            alpha != nullptr,
            [&](float x, float y) { return alpha->sample(x, y, sourceWidth, sourceHeight); });
        deviceTextures[0]->UnlockRect(0);
    }
    if (alphaSource) alphaMode = ALPHA_KEEP;
    pixels.reset();
    finish();
}

void Texture::uploadLevel0(const uint32_t* texels) {
    D3DLOCKED_RECT lock;
    if (deviceTextures.empty() || !deviceTextures[0] ||
        FAILED(deviceTextures[0]->LockRect(0, &lock, nullptr, 0)))
        return;
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<uint8_t*>(lock.pBits) + size_t(y) * size_t(lock.Pitch),
                    texels + size_t(y) * size_t(width), size_t(width) * 4);
    deviceTextures[0]->UnlockRect(0);
}

void Texture::buildFallback() {
    create(128, 8, TEXTURE_COLOR_LAYER, "");
    D3DLOCKED_RECT lock;
    if (!deviceTextures.empty() && deviceTextures[0] &&
        SUCCEEDED(deviceTextures[0]->LockRect(0, &lock, nullptr, 0))) {
        fillMissingPattern(static_cast<uint32_t*>(lock.pBits), width, height, lock.Pitch / 4);
        deviceTextures[0]->UnlockRect(0);
    }
    finish();
}

void Texture::finish() {
    if (deviceTextures.empty() || !deviceTextures[0]) return;
    if (levelCount > 1) D3DXFilterTexture(deviceTextures[0], nullptr, 0, D3DX_DEFAULT);
    if ((flags & TEXTURE_COMPRESS) && !(flags & TEXTURE_NORMAL_MAP)) compressLevels();
    if (flags & TEXTURE_NORMAL_MAP) convertNormalMaps();
    copyToOtherDevices();
    currentTextures = deviceTextures;
}

void Texture::compressLevels() {
    IDirect3DDevice8* device = deviceContext(context)->devices[0];
    IDirect3DTexture8* source = deviceTextures[0];
    IDirect3DTexture8* target = nullptr;
    const D3DFORMAT wanted = (flags & TEXTURE_ALPHA_FROM_INTENSITY) ? D3DFMT_DXT5 : D3DFMT_DXT1;
    format = uint32_t(wanted);
    // A device without that compressed format keeps the picture uncompressed,
    // but it must still leave system memory to be drawn.
    if (!D3D_CHECK(device->CreateTexture(UINT(width), UINT(height), UINT(levelCount), 0, wanted,
                                         D3DPOOL_MANAGED, &target))) {
        format = TEXTURE_FORMAT_ARGB;
        target = nullptr;
        if (!D3D_CHECK(device->CreateTexture(UINT(width), UINT(height), UINT(levelCount), 0,
                                             D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &target)))
            return;
    }
    countResource(target);
    pool = D3DPOOL_MANAGED;
    for (int level = 0; level < levelCount; ++level) {
        IDirect3DSurface8 *to = nullptr, *from = nullptr;
        if (!D3D_CHECK(target->GetSurfaceLevel(UINT(level), &to))) to = nullptr;
        if (!D3D_CHECK(source->GetSurfaceLevel(UINT(level), &from))) from = nullptr;
        if (to && from)
            D3DXLoadSurfaceFromSurface(to, nullptr, nullptr, from, nullptr, nullptr, D3DX_DEFAULT,
                                       0);
        if (to) to->Release();
        if (from) from->Release();
    }
    source->Release();
    deviceTextures[0] = target;
}

void Texture::convertNormalMaps() {
    IDirect3DTexture8* t = deviceTextures[0];
    std::vector<uint32_t> scratch(size_t(width) * size_t(height));
    for (int level = 0; level < levelCount; ++level) {
        D3DSURFACE_DESC desc;
        if (!D3D_CHECK(t->GetLevelDesc(UINT(level), &desc))) continue;
        D3DLOCKED_RECT lock;
        if (FAILED(t->LockRect(UINT(level), &lock, nullptr, 0))) continue;
        convertToNormalMap(static_cast<uint32_t*>(lock.pBits), int(desc.Width), int(desc.Height),
                           lock.Pitch / 4, scratch.data());
        t->UnlockRect(UINT(level));
    }
    format = TEXTURE_FORMAT_ARGB;
}

void Texture::copyToOtherDevices() {
    IDirect3DTexture8* source = deviceTextures[0];
    for (size_t i = 1; i < deviceTextures.size(); ++i) {
        IDirect3DTexture8* target = deviceTextures[i];
        if (!target) continue;
        for (int level = 0; level < levelCount; ++level) {
            D3DSURFACE_DESC from, to;
            if (!D3D_CHECK(source->GetLevelDesc(UINT(level), &from)) ||
                !D3D_CHECK(target->GetLevelDesc(UINT(level), &to)))
                continue;
            // Level bytes are copied as they are: only equal formats and sizes.
            if (from.Format != to.Format || from.Size != to.Size) continue;
            D3DLOCKED_RECT a, b;
            if (FAILED(source->LockRect(UINT(level), &a, nullptr, D3DLOCK_READONLY))) continue;
            if (SUCCEEDED(target->LockRect(UINT(level), &b, nullptr, 0))) {
                std::memcpy(b.pBits, a.pBits, from.Size);
                target->UnlockRect(UINT(level));
            }
            source->UnlockRect(UINT(level));
        }
    }
}

GeneratedTexture::GeneratedTexture(DeviceContextBase* context, int w, int h, uint32_t buildFlags,
                                   const char* textureName, Generator generator, void* user)
    : Texture(context) {
    create(w, h, buildFlags, textureName);
    D3DLOCKED_RECT lock;
    if (!deviceTextures.empty() && deviceTextures[0] &&
        SUCCEEDED(deviceTextures[0]->LockRect(0, &lock, nullptr, 0))) {
        generator(static_cast<uint32_t*>(lock.pBits), w, h, lock.Pitch / 4, user);
        deviceTextures[0]->UnlockRect(0);
    }
    finish();
}

RenderTargetTexture::RenderTargetTexture(DeviceContextBase* base) : Texture(base) {
    DeviceContext* context = deviceContext(base);
    const bool anySize = context->hardwareCaps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    width = anySize ? context->screenWidth : 512;
    height = anySize ? context->screenHeight : 512;
    format = uint32_t(context->displayFormat);
    pool = D3DPOOL_DEFAULT;
    levelCount = 1;
    recreate();
}

void RenderTargetTexture::recreate() {
    releaseDeviceTextures();
    DeviceContext* context = deviceContext(this->context);
    for (size_t i = 0; i < deviceTextures.size(); ++i) {
        if (!context->devices[i]) continue;
        if (!D3D_CHECK(context->devices[i]->CreateTexture(UINT(width), UINT(height), 1,
                                                          D3DUSAGE_RENDERTARGET, D3DFORMAT(format),
                                                          D3DPOOL_DEFAULT, &deviceTextures[i])))
            deviceTextures[i] = nullptr;
        countResource(deviceTextures[i]);
    }
    currentTextures = deviceTextures;
}

void TextureList::buildAll(Progress progress, void* user) {
    const size_t count = textures.size();
    for (size_t i = 0; i < count; ++i) {
        Texture* t = textures[i];
        t->build();
        for (IDirect3DTexture8* d : t->currentTextures)
            if (d) d->PreLoad();
        if (progress) progress(0.3f + 0.5f * float(i) / float(count), user);
    }
}

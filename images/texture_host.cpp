// The device half of the texture classes where there is no Direct3D (the
// native build: tools and tests). A device context here has no devices, so
// a build makes no device textures: it reports a missing picture exactly as
// the player does and releases the picture, as the player's build does.

#include "texture.h"

#include "base/diag_log.h"
#include "base/message_box.h"
#include "texture_list.h"

void Texture::releaseDeviceTextures() {
    for (IDirect3DTexture8*& t : deviceTextures) t = nullptr;
    for (IDirect3DTexture8*& t : currentTextures) t = nullptr;
}

IDirect3DSurface8* Texture::renderSurface(size_t) {
    return nullptr;
}

void Texture::create(int w, int h, uint32_t buildFlags, const char* textureName) {
    storeCreation(w, h, buildFlags, textureName);
    levelCount = 0;
}

void Texture::build() {
    if (buildMissing()) return;
    int W = 0, H = 0;
    textureDestinationSize(width, height, 0, 0, &W, &H);
    create(W, H, flags, name.c_str());
    if (alphaSource) alphaMode = ALPHA_KEEP;
    pixels.reset();
    finish();
}

void Texture::uploadLevel0(const uint32_t*) {}

void Texture::buildFallback() {
    create(128, 8, TEXTURE_COLOR_LAYER, "");
    finish();
}

void Texture::finish() {
    const bool compressed = (flags & TEXTURE_COMPRESS) && !(flags & TEXTURE_NORMAL_MAP);
    if (compressed) {
        format = (flags & TEXTURE_ALPHA_FROM_INTENSITY) ? TEXTURE_FORMAT_DXT5 : TEXTURE_FORMAT_DXT1;
        pool = TEXTURE_POOL_MANAGED;
    }
    if (flags & TEXTURE_NORMAL_MAP) format = TEXTURE_FORMAT_ARGB;
}

GeneratedTexture::GeneratedTexture(DeviceContextBase* context, int w, int h, uint32_t buildFlags,
                                   const char* textureName, Generator, void*)
    : Texture(context) {
    create(w, h, buildFlags, textureName);
    finish();
}

RenderTargetTexture::RenderTargetTexture(DeviceContextBase* context) : Texture(context) {
    pool = TEXTURE_POOL_DEFAULT;
    levelCount = 1;
}

void TextureList::buildAll(Progress progress, void* user) {
    const size_t count = textures.size();
    for (size_t i = 0; i < count; ++i) {
        textures[i]->build();
        if (progress) progress(0.3f + 0.5f * float(i) / float(count), user);
    }
}

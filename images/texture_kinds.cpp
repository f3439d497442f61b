#include "app/device_context.h"
#include "base/variant.h"
#include "picture_loader.h"
#include "picture_sampler.h"
#include "texture.h"

ImageTexture::ImageTexture(DeviceContext* context) : Texture(context) {
    flags = TEXTURE_COMPRESS | TEXTURE_MIPMAPS;
}

uint32_t ImageTexture::sample(float x, float y, int w, int h) {
    if (isPrevBuild()) return sampleNearest(pixels.get(), x, y, w, h);
    return sampleBilinear(pixels.get(), x, y, w, h);
}

bool ImageTexture::load(VirtualFile* files, const char* fileName, int flip) {
    name = fileName;
    Picture picture;
    const bool ok = files && loadPicture(*files, fileName, flip, picture, &targaError);
    pixels = std::move(picture.pixels);
    width = picture.width;
    height = picture.height;
    return ok;
}

SequenceTexture::~SequenceTexture() {
    for (Texture* frame : frames) delete frame;
}

void SequenceTexture::build() {
    for (Texture* frame : frames)
        if (frame) frame->build();
}

int SequenceTexture::frameIndexAt(double time) const {
    const int count = int(frames.size());
    if (count == 0) return -1;
    // Times before the start count backwards through the frames instead of
    // indexing before the first one.
    const int index = (int(frameRate * time) + frameOffset) % count;
    return index < 0 ? index + count : index;
}

IDirect3DTexture8* SequenceTexture::textureAt(double time) {
    const int index = frameIndexAt(time);
    if (index < 0 || !frames[size_t(index)]) return nullptr;
    return frames[size_t(index)]->texture();
}

GeneratedTexture::GeneratedTexture(DeviceContext* context, int w, int h, uint32_t buildFlags,
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

RenderTargetTexture::RenderTargetTexture(DeviceContext* context) : Texture(context) {
    const bool anySize = context->hardwareCaps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL;
    width = anySize ? context->screenWidth : 512;
    height = anySize ? context->screenHeight : 512;
    format = context->displayFormat;
    pool = D3DPOOL_DEFAULT;
    levelCount = 1;
    for (size_t i = 0; i < deviceTextures.size(); ++i) {
        if (!context->devices[i]) continue;
        context->devices[i]->CreateTexture(UINT(width), UINT(height), 1, D3DUSAGE_RENDERTARGET,
                                           format, D3DPOOL_DEFAULT, &deviceTextures[i]);
    }
    currentTextures = deviceTextures;
}

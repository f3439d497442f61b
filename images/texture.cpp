// The device-independent half of the texture classes: construction,
// sampling, references, loading, sequences and the registry. The device
// half is texture_device.cpp (Windows) or texture_host.cpp (no devices).

#include "texture.h"

#include "app/device_context_base.h"
#include "base/diag_log.h"
#include "base/message_box.h"
#include "base/variant.h"
#include "picture_loader.h"
#include "picture_sampler.h"
#include "texture_list.h"

#include <cmath>

Texture::Texture(DeviceContextBase* context) : context(context) {
    const size_t devices = context ? size_t(context->deviceCount) : 0;
    deviceTextures.assign(devices, nullptr);
    currentTextures.assign(devices, nullptr);
}

Texture::~Texture() {
    releaseDeviceTextures();
}

IDirect3DTexture8* Texture::textureAt(double) {
    if (currentTextures.empty()) return nullptr;
    size_t index = context ? size_t(context->currentOutput) : 0;
    if (index >= currentTextures.size()) index = 0;
    return currentTextures[index];
}

uint32_t Texture::sample(float x, float y, int w, int h) {
    return sampleNearest(pixels.get(), x, y, w, h);
}

Texture* Texture::createReference(const char* referenceName) const {
    auto* t = new Texture(context);
    t->flags = TEXTURE_COMPRESS | TEXTURE_MIPMAPS;
    t->name = referenceName;
    t->alphaMode = alphaMode;
    t->alphaSource = alphaSource;
    t->width = width;
    t->height = height;
    t->format = format;
    t->levelCount = levelCount;
    return t;
}

void Texture::storeCreation(int w, int h, uint32_t buildFlags, const char* textureName) {
    name = textureName;
    width = w;
    height = h;
    flags = buildFlags;
    pool = (flags & TEXTURE_COMPRESS) ? TEXTURE_POOL_SYSTEM : TEXTURE_POOL_MANAGED;
}

bool Texture::buildMissing() {
    if (pixels) return false;
    diagLog() << "missing texture: " << name << "\n";
    showMessage(nullptr, "Texture pointer zero\n", "Error", MessageIcon::Warning);
    buildFallback();
    return true;
}

ImageTexture::ImageTexture(DeviceContextBase* context) : Texture(context) {
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
    // The rate comes from the file: a frame number beyond int is reduced
    // modulo the count before it becomes an int, and one that is not a number
    // counts as frame 0. Times before the start count backwards through the
    // frames instead of indexing before the first one.
    double frame = std::trunc(double(frameRate) * time);
    if (!std::isfinite(frame)) frame = 0;
    const int index = (int(std::fmod(frame, double(count))) + frameOffset % count) % count;
    return index < 0 ? index + count : index;
}

IDirect3DTexture8* SequenceTexture::textureAt(double time) {
    const int index = frameIndexAt(time);
    if (index < 0 || !frames[size_t(index)]) return nullptr;
    return frames[size_t(index)]->texture();
}

TextureList::~TextureList() {
    clear();
}

void TextureList::clear() {
    for (Texture* t : textures) delete t;
    textures.clear();
}

Texture* TextureList::findTexture(const char* name, uint32_t flags) const {
    for (Texture* t : textures)
        if (t->name == name && textureFlagsMatch(t->flags, flags)) return t;
    return nullptr;
}

Texture* TextureList::findByName(const char* name) const {
    for (Texture* t : textures)
        if (t->name == name) return t;
    return nullptr;
}

void TextureList::addTexture(Texture* texture) {
    textures.push_back(texture);
}

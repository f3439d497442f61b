#pragma once
// Textures: a source picture in system memory (`pixels`) turned into one
// Direct3D 8 texture per device of the device context by build(). The kinds
// differ only in where the picture comes from. Ownership: a texture owns its
// picture and its device textures (released in the destructor); users get
// the current device's texture from texture() / textureAt() and do not
// release it. Every texture is built once; the picture is freed by the build.

#include "texture_pixels.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DeviceContextBase;
class VirtualFile;
// Direct3D objects, held by pointer only: this header builds without Direct3D.
struct IDirect3DTexture8;
struct IDirect3DSurface8;

constexpr uint32_t TEXTURE_FORMAT_ARGB = 21;          // D3DFMT_A8R8G8B8
constexpr uint32_t TEXTURE_FORMAT_DXT1 = 0x31545844u; // D3DFMT_DXT1 ("DXT1")
constexpr uint32_t TEXTURE_FORMAT_DXT5 = 0x35545844u; // D3DFMT_DXT5
constexpr int TEXTURE_POOL_DEFAULT = 0;               // D3DPOOL_DEFAULT (render targets)
constexpr int TEXTURE_POOL_MANAGED = 1;
constexpr int TEXTURE_POOL_SYSTEM = 2;

class Texture {
public:
    explicit Texture(DeviceContextBase* context);
    virtual ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Makes the device textures from the source picture; without one, the
    // missing-texture pattern (and a message).
    virtual void build();
    IDirect3DTexture8* texture() { return textureAt(0); }
    // The current device's texture, or null when none was made.
    virtual IDirect3DTexture8* textureAt(double time);
    // For render targets (default pool): level 0 of the texture of output
    // `output`'s device, a new reference for the caller; null otherwise.
    virtual IDirect3DSurface8* renderSurface(size_t output = 0);
    // ARGB of the source picture at real texel coordinates: nearest texel.
    virtual uint32_t sample(float x, float y, int width, int height);

    // A base texture of the same settings and the given name, without a
    // picture: its build yields the missing-texture pattern. Owned by the caller.
    Texture* createReference(const char* name) const;

    // The common creation step: stores the size, flags and name, and creates
    // one texture per device (system memory when compressing, else managed).
    void create(int width, int height, uint32_t flags, const char* name);
    // The common last step: mips, compression, normal maps, further devices.
    void finish();

    DeviceContextBase* context; // not owned; a DeviceContext in the programs
    std::string name;
    int alphaMode = ALPHA_KEEP;
    std::unique_ptr<uint32_t[]> pixels; // width x height, row 0 first; null after build
    Texture* alphaSource = nullptr;     // not owned
    float frameRate = 0;                // frames per second, sequences only; any float a file holds
    float bumpAmplitude = 1.0f;
    uint32_t flags = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t format = TEXTURE_FORMAT_ARGB; // D3DFORMAT of the device textures
    int pool = TEXTURE_POOL_MANAGED;
    int levelCount = 0;
    std::vector<IDirect3DTexture8*> deviceTextures;  // owned
    std::vector<IDirect3DTexture8*> currentTextures; // what users get

protected:
    // Builds the 128 x 8 missing-texture pattern.
    void buildFallback();
    // What every create() stores first: size, flags, name and the pool.
    void storeCreation(int width, int height, uint32_t flags, const char* name);
    // Without a source picture: the log line and the message, then the
    // fallback. Answers whether that happened.
    bool buildMissing();
    // Writes `texels` (width x height of the last create) into level 0 of
    // device 0's texture; nothing where there are no devices.
    void uploadLevel0(const uint32_t* texels);

public:
    // Releases every device texture (also before a device reset).
    void releaseDeviceTextures();

private:
    void compressLevels();
    void convertNormalMaps();
    void copyToOtherDevices();
};

// Pictures from files in the archive, resampled bilinearly (nearest texel in
// nightloom-prev).
class ImageTexture : public Texture {
public:
    explicit ImageTexture(DeviceContextBase* context);
    uint32_t sample(float x, float y, int width, int height) override;
    // Decodes `name` through `files` (see picture_loader.h). False when the
    // file is missing or refused; the texture then builds the fallback.
    virtual bool load(VirtualFile* files, const char* name, int flip);

    int targaError = 0;
};

// An image sequence: one texture per frame, chosen by time.
class SequenceTexture : public Texture {
public:
    explicit SequenceTexture(DeviceContextBase* context) : Texture(context) {}
    ~SequenceTexture() override;
    void build() override;
    // frames[((int)(frameRate * time) + frameOffset) mod frame count]; a rate
    // times time that is not a number counts as frame 0, one beyond int is
    // taken modulo the count first.
    IDirect3DTexture8* textureAt(double time) override;
    int frameIndexAt(double time) const;

    std::vector<Texture*> frames; // owned, frame first ... last
    int firstFrame = 0;
    int lastFrame = -1;
    int frameOffset = 0;
};

// Pictures computed by a generator at construction; build() has nothing left
// to do.
class GeneratedTexture : public Texture {
public:
    using Generator = void (*)(uint32_t* level, int width, int height, int pitch, void* user);
    GeneratedTexture(DeviceContextBase* context, int width, int height, uint32_t flags,
                     const char* name, Generator generator, void* user);
    void build() override {}
};

// A texture a scene draws into: the screen's size where the device allows
// any size, else 512 x 512; one level in the display format, default pool.
// Lives in the default pool: released before a device reset
// (releaseDeviceTextures) and made again after it (recreate); what it held
// is drawn anew by its scene.
class RenderTargetTexture : public Texture {
public:
    explicit RenderTargetTexture(DeviceContextBase* context);
    void recreate();
};

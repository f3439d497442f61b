#pragma once
// The four surface programs every surface is drawn through, made once per
// device context after its devices exist, in this order: 0 the fixed-function
// program, 1 the flat shadow program, 2 the per-pixel bump program, 3 the
// shadow receiver. Each owns its vertex format and its per-device vertex (and
// pixel) program handles, and sets a surface's states for a draw from the
// plan of surface_setup.h.

#include "app/device_context.h"
#include "meshes/generic_vertex.h"
#include "surface_setup.h"

#include <memory>
#include <vector>

class LWSurface;

class SurfaceProgram {
public:
    SurfaceProgram(DeviceContext& context, int index);
    // Deletes the per-device programs it created.
    virtual ~SurfaceProgram();
    SurfaceProgram(const SurfaceProgram&) = delete;
    SurfaceProgram& operator=(const SurfaceProgram&) = delete;

    // One vertex in this program's format at `dst` (`vertexStride` bytes).
    virtual void convertVertex(void* dst, const GenericVertex& vertex) const;
    // A last pass over a finished buffer set before its device buffers exist.
    virtual bool prepareVertices(void* vertices, const uint32_t* indices, uint32_t vertexCount,
                                 uint32_t indexCount);
    virtual int query() const { return 1; }
    // Sets every state for drawing `surface` at `time` on the current device.
    virtual void setupSurface(LWSurface& surface, double time) = 0;

    DeviceContext& context;
    int index;
    int vertexStride;
    bool hasVertexProgram = true;
    std::vector<DWORD> vertexHandles; // per device; the FVF code for program 0
    std::vector<DWORD> pixelHandles;  // per device; 0 without a pixel program
    bool softwareVertexProcessing;    // no vertex shader support: programs run in software
    bool handlesAreFvf = false;
    std::vector<DWORD> declaration;
    // The cull mode single-sided surfaces are drawn with (the renderer's).
    uint32_t cullMode = D3DCULL_CCW;

protected:
    // Creates the vertex program (and pixel program) on every device; a
    // failed creation leaves a zero handle and is logged.
    void create(const std::vector<uint32_t>& vertexTokens,
                const std::vector<uint32_t>* pixelTokens);
    // Applies the plan on the current device, with the material constants.
    void apply(double time);
    // The devices run ps.1.1 pixel programs (whatever the vertex processing).
    bool devicePixelPrograms() const;

    StatePlan plan; // reused: no allocation per draw once it has grown
};

// Flexible vertex format of program 0: position, normal, two 3D texcoords.
constexpr DWORD FIXED_FUNCTION_FVF =
    D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE3(1);
static_assert(FIXED_FUNCTION_FVF == 0x50212, "the fixed-function program's vertex format");

class FixedFunctionProgram : public SurfaceProgram {
public:
    explicit FixedFunctionProgram(DeviceContext& context);
    void setupSurface(LWSurface& surface, double time) override;

private:
    bool multiplyAdd; // the device has D3DTOP_MULTIPLYADD
};

class FlatShadowProgram : public SurfaceProgram {
public:
    explicit FlatShadowProgram(DeviceContext& context);
    void setupSurface(LWSurface& surface, double time) override;
    int shadowPassMode = 0; // 1 depth only, 2 colour-encoded (set by the shadow pass)
};

class BumpProgram : public SurfaceProgram {
public:
    explicit BumpProgram(DeviceContext& context);
    bool prepareVertices(void* vertices, const uint32_t* indices, uint32_t vertexCount,
                         uint32_t indexCount) override;
    void setupSurface(LWSurface& surface, double time) override;
};

class ShadowReceiverProgram : public SurfaceProgram {
public:
    explicit ShadowReceiverProgram(DeviceContext& context);
    ~ShadowReceiverProgram() override;
    void setupSurface(LWSurface& surface, double time) override;
    // The shadow light's maps, set by the shadow pass before its receivers draw.
    IDirect3DBaseTexture8* depthTexture = nullptr;
    Texture* spotTexture = nullptr;
    // The receiver pixel program (with and without a colour texture) for
    // devices that compare depth textures only in pixel programs.
    std::vector<DWORD> receiverPixelHandles[2];
};

// Makes the four programs into the context's program list (after its devices).
void createSurfacePrograms(DeviceContext& context);

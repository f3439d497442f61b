#include "surface_programs.h"

#include "app/d3d_check.h"
#include "images/texture.h"
#include "lightwave/surface.h"
#include "shader_programs.h"
#include "vertex_formats.h"

#include <cstddef>

static_assert(sizeof(MaterialRecord) == sizeof(D3DMATERIAL8), "material layout");
static_assert(offsetof(MaterialRecord, ambient) == offsetof(D3DMATERIAL8, Ambient), "ambient");
static_assert(offsetof(MaterialRecord, specular) == offsetof(D3DMATERIAL8, Specular), "specular");
static_assert(offsetof(MaterialRecord, emissive) == offsetof(D3DMATERIAL8, Emissive), "emissive");
static_assert(offsetof(MaterialRecord, power) == offsetof(D3DMATERIAL8, Power), "power");
static_assert(sizeof(Matrix4) == sizeof(D3DMATRIX), "matrix layout");
static_assert(sizeof(DWORD) == sizeof(uint32_t), "tokens are 32-bit words");

namespace {
const DWORD* words(const std::vector<uint32_t>& tokens) {
    return reinterpret_cast<const DWORD*>(tokens.data());
}
} // namespace

namespace {

constexpr int SPECULAR_POWER_REGISTER = 33;
constexpr int BUMP_STRENGTH_REGISTER = 35;

} // namespace

SurfaceProgram::SurfaceProgram(DeviceContext& context, int index)
    : context(context), index(index), vertexStride(VERTEX_STRIDE[index]),
      vertexHandles(context.devices.size(), 0), pixelHandles(context.devices.size(), 0),
      softwareVertexProcessing(!context.vertexShaders) {}

SurfaceProgram::~SurfaceProgram() {
    for (size_t i = 0; i < context.devices.size(); ++i) {
        IDirect3DDevice8* d = context.devices[i];
        if (!d) continue;
        if (!handlesAreFvf && vertexHandles[i]) d->DeleteVertexShader(vertexHandles[i]);
        if (pixelHandles[i]) d->DeletePixelShader(pixelHandles[i]);
    }
}

bool SurfaceProgram::devicePixelPrograms() const {
    return context.hardwareCaps.PixelShaderVersion >= D3DPS_VERSION(1, 1);
}

void SurfaceProgram::convertVertex(void* dst, const GenericVertex& vertex) const {
    ::convertVertex(index, vertex, dst);
}

bool SurfaceProgram::prepareVertices(void*, const uint32_t*, uint32_t, uint32_t) {
    return true;
}

void SurfaceProgram::create(const std::vector<uint32_t>& vertexTokens,
                            const std::vector<uint32_t>* pixelTokens) {
    const DWORD usage = softwareVertexProcessing ? D3DUSAGE_SOFTWAREPROCESSING : 0;
    for (size_t i = 0; i < context.devices.size(); ++i) {
        IDirect3DDevice8* d = context.devices[i];
        if (!d) continue;
        if (!D3D_CHECK(d->CreateVertexShader(declaration.data(), words(vertexTokens),
                                             &vertexHandles[i], usage)))
            vertexHandles[i] = 0;
        if (pixelTokens && devicePixelPrograms() &&
            !D3D_CHECK(d->CreatePixelShader(words(*pixelTokens), &pixelHandles[i])))
            pixelHandles[i] = 0;
    }
}

void SurfaceProgram::apply(double) {
    IDirect3DDevice8* d = context.device;
    if (!d) return;
    for (const StateChange& c : plan.changes) {
        switch (c.kind) {
        case StateChange::RENDER:
            d->SetRenderState(D3DRENDERSTATETYPE(c.state), c.value);
            break;
        case StateChange::STAGE:
            d->SetTextureStageState(c.stage, D3DTEXTURESTAGESTATETYPE(c.state), c.value);
            break;
        case StateChange::TEXTURE:
            // A device texture in a plan is a base-texture pointer (cube
            // maps and depth maps derive from it singly). The texture being
            // drawn into cannot be read at the same time: a surface showing
            // its own scene's picture shows none inside that picture.
            if (c.texture && c.texture == context.drawingInto)
                d->SetTexture(c.stage, nullptr);
            else
                d->SetTexture(c.stage, c.texture ? c.texture->textureAt(c.time)
                                                 : static_cast<IDirect3DBaseTexture8*>(
                                                       const_cast<void*>(c.deviceTexture)));
            break;
        case StateChange::TRANSFORM:
            d->SetTransform(D3DTRANSFORMSTATETYPE(c.state),
                            reinterpret_cast<const D3DMATRIX*>(&plan.matrices[size_t(c.matrix)]));
            break;
        case StateChange::MATERIAL:
            d->SetMaterial(reinterpret_cast<const D3DMATERIAL8*>(&plan.material));
            break;
        }
    }
    // The vertex programs read the power and the bump strength from constants
    // (set with the material: the flat program leaves them as they are).
    if (plan.hasMaterial) {
        d->SetVertexShaderConstant(SPECULAR_POWER_REGISTER, plan.c33, 1);
        if (plan.hasBump) d->SetVertexShaderConstant(BUMP_STRENGTH_REGISTER, plan.c35, 1);
    }
}

FixedFunctionProgram::FixedFunctionProgram(DeviceContext& context)
    : SurfaceProgram(context, 0),
      multiplyAdd(context.hardwareCaps.TextureOpCaps & D3DTEXOPCAPS_MULTIPLYADD) {
    hasVertexProgram = true;
    handlesAreFvf = true;
    for (DWORD& h : vertexHandles) h = FIXED_FUNCTION_FVF;
}

void FixedFunctionProgram::setupSurface(LWSurface& surface, double time) {
    plan.clear();
    planFixedFunction(surface, time, cullMode, multiplyAdd, plan);
    apply(time);
}

FlatShadowProgram::FlatShadowProgram(DeviceContext& context) : SurfaceProgram(context, 1) {
    const std::vector<uint32_t> decl = shader::surfaceVertexDeclaration();
    declaration.assign(decl.begin(), decl.end());
    create(shader::smFlatShaderProgram(), nullptr);
}

void FlatShadowProgram::setupSurface(LWSurface& surface, double time) {
    plan.clear();
    planFlatShadow(surface, cullMode, shadowPassMode, context.texcoordMap, plan);
    apply(time);
}

BumpProgram::BumpProgram(DeviceContext& context) : SurfaceProgram(context, 2) {
    const std::vector<uint32_t> decl = shader::bumpVertexDeclaration();
    declaration.assign(decl.begin(), decl.end());
    const std::vector<uint32_t> pixel = shader::dot3dsPixelProgram();
    create(shader::dot3dsVertexProgram(), &pixel);
}

bool BumpProgram::prepareVertices(void* vertices, const uint32_t* indices, uint32_t vertexCount,
                                  uint32_t indexCount) {
    return prepareBumpVertices(static_cast<float*>(vertices), indices, vertexCount, indexCount);
}

void BumpProgram::setupSurface(LWSurface& surface, double time) {
    plan.clear();
    planDot3(surface, time, cullMode, plan);
    apply(time);
}

ShadowReceiverProgram::ShadowReceiverProgram(DeviceContext& context) : SurfaceProgram(context, 3) {
    const std::vector<uint32_t> decl = shader::surfaceVertexDeclaration();
    declaration.assign(decl.begin(), decl.end());
    create(shader::hwSoftShadowMapProgram(), nullptr);
    for (int colour = 0; colour < 2; ++colour) {
        receiverPixelHandles[colour].assign(context.devices.size(), 0);
        if (!devicePixelPrograms()) continue;
        const std::vector<uint32_t> tokens = shader::shadowReceiverPixelProgram(colour == 1);
        for (size_t i = 0; i < context.devices.size(); ++i)
            if (context.devices[i] && !D3D_CHECK(context.devices[i]->CreatePixelShader(
                                          words(tokens), &receiverPixelHandles[colour][i])))
                receiverPixelHandles[colour][i] = 0;
    }
}

ShadowReceiverProgram::~ShadowReceiverProgram() {
    for (const std::vector<DWORD>& handles : receiverPixelHandles)
        for (size_t i = 0; i < handles.size(); ++i)
            if (handles[i] && context.devices[i]) context.devices[i]->DeletePixelShader(handles[i]);
}

void ShadowReceiverProgram::setupSurface(LWSurface& surface, double time) {
    plan.clear();
    planShadowReceiver(surface, time, cullMode, depthTexture, spotTexture, plan);
    apply(time);
    // A device that compares depth textures only in pixel programs draws
    // receivers through the receiver pixel program (set with the sources).
    if (context.shadowCompareInPixelProgram) {
        const LWTextureLayer* colr = enabledLayer(surface, "COLR");
        const bool colour = colr && colr->texture;
        const size_t output = size_t(context.currentOutput);
        if (output < pixelHandles.size() && output < receiverPixelHandles[colour].size())
            pixelHandles[output] = receiverPixelHandles[colour][output];
    }
}

void createSurfacePrograms(DeviceContext& context) {
    context.programs.clear();
    context.programs.push_back(std::make_unique<FixedFunctionProgram>(context));
    context.programs.push_back(std::make_unique<FlatShadowProgram>(context));
    context.programs.push_back(std::make_unique<BumpProgram>(context));
    context.programs.push_back(std::make_unique<ShadowReceiverProgram>(context));
}

// The surface programs on a real device under Wine. Vertex programs draw
// single-pixel points whose outputs a trivial pixel program (or the
// fixed-function stage they are used with) turns into the pixel's colour;
// each is compared with the same transform done here on the CPU. The pixel
// programs light a bumped quad and compare through a depth texture.

#include "base/math3d.h"
#include "app/readback.h"
#include "render/shader_programs.h"
#include "render/shader_tokens.h"
#include "tests/support/test_stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <utility>
#include <vector>

namespace {

using Tokens = std::vector<uint32_t>;
using shader::ShaderBuilder;

// Everything is drawn in a viewport of this size at the back buffer's
// top-left corner (the window's client area, hence its back buffer, is
// smaller than the window).
constexpr int WIDTH = 128, HEIGHT = 88;
constexpr uint32_t BACKGROUND = 0xFF13F037; // a colour no program output here comes near

// Row-vector matrices: p' = p x M, translation in the fourth row.
struct Mat {
    float m[4][4];
};
void transform(const float p[4], const Mat& a, float out[4]) {
    for (int j = 0; j < 4; ++j)
        out[j] = p[0] * a.m[0][j] + p[1] * a.m[1][j] + p[2] * a.m[2][j] + p[3] * a.m[3][j];
}
Vec3 rotate(Vec3 v, const Mat& a) {
    const float p[4] = {v.x, v.y, v.z, 0};
    float r[4];
    transform(p, a, r);
    return {r[0], r[1], r[2]};
}

// Object coordinates are back-buffer pixels, z in 0..1; the whole matrix is
// scaled by `w`, which leaves the screen position and makes clip w = w.
Mat placement(float w) {
    return {{{2 * w / WIDTH, 0, 0, 0},
             {0, -2 * w / HEIGHT, 0, 0},
             {0, 0, 0.5f * w, 0},
             {-w, w, 0.25f * w, w}}};
}

// Rotation about z by `a`, then about x by `b`, then a translation.
Mat world(float a, float b, Vec3 move) {
    const float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    return {{{ca, sa * cb, sa * sb, 0},
             {-sa, ca * cb, ca * sb, 0},
             {0, -sb, cb, 0},
             {move.x, move.y, move.z, 1}}};
}

// The back-buffer pixel a point lands on, from its clip position: pixel
// centres sit at whole coordinates. Points are placed a quarter pixel off
// so that no rounding rule can move them.
std::pair<int, int> pixelOf(const float clip[4]) {
    const float sx = (clip[0] / clip[3] + 1) * 0.5f * WIDTH;
    const float sy = (1 - clip[1] / clip[3]) * 0.5f * HEIGHT;
    EXPECT_GT(std::fabs(sx - std::floor(sx) - 0.5f), 0.1f);
    EXPECT_GT(std::fabs(sy - std::floor(sy) - 0.5f), 0.1f);
    return {int(std::floor(sx + 0.5f)), int(std::floor(sy + 0.5f))};
}

struct Colour {
    float r, g, b;
};
// Channel-wise within `tolerance` (of 255) of `want` clamped to 0..1.
::testing::AssertionResult matches(uint32_t got, Colour want, int tolerance = 2) {
    const float w[3] = {want.r, want.g, want.b};
    for (int i = 0; i < 3; ++i) {
        const float clamped = std::fmin(std::fmax(w[i], 0.0f), 1.0f);
        const int expected = int(std::lround(clamped * 255));
        const int channel = int(got >> (16 - 8 * i) & 0xFF);
        if (std::abs(channel - expected) > tolerance)
            return ::testing::AssertionFailure()
                   << std::hex << "got 0x" << (got & 0xFFFFFF) << std::dec << ", channel " << i
                   << " wanted " << expected;
    }
    return ::testing::AssertionSuccess();
}

struct SurfaceVertex { // formats 1 and 3
    float x, y, z, nx, ny, nz;
    uint32_t diffuse;
    float u, v;
};
static_assert(sizeof(SurfaceVertex) == 36);

struct BumpVertex { // format 2, in stream order
    Vec3 position, normal;
    uint32_t diffuse;
    float u0, v0;
    Vec3 s, t, sxt;
    float u1, v1;
};
static_assert(sizeof(BumpVertex) == 80);

Tokens showColour(uint32_t n) {
    using namespace shader;
    return ShaderBuilder::ps(1, 1).mov(r(0), v(n)).end();
}

Tokens showTexcoord(uint32_t n) {
    using namespace shader;
    return ShaderBuilder::ps(1, 1).texcoord(t(n)).mov(r(0), t(n)).end();
}

std::set<std::pair<int, int>> drawnPixels(const Readback& back) {
    std::set<std::pair<int, int>> drawn;
    for (UINT y = 0; y < UINT(HEIGHT); ++y)
        for (UINT x = 0; x < UINT(WIDTH); ++x)
            if (back.rgb(x, y) != (BACKGROUND & 0xFFFFFF)) drawn.insert({int(x), int(y)});
    return drawn;
}

class ShaderDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stage.open(160, 120));
        d = stage.device();
        IDirect3DSurface8* back = nullptr;
        ASSERT_EQ(D3D_OK, d->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back));
        D3DSURFACE_DESC desc;
        back->GetDesc(&desc);
        back->Release();
        ASSERT_GE(desc.Width, UINT(WIDTH));
        ASSERT_GE(desc.Height, UINT(HEIGHT));
        D3DVIEWPORT8 viewport = {0, 0, WIDTH, HEIGHT, 0, 1};
        d->SetViewport(&viewport);
        ASSERT_TRUE(stage.context->vertexShaders);
        ASSERT_TRUE(stage.context->pixelShaders);
        d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        d->SetRenderState(D3DRS_LIGHTING, FALSE);
    }
    void TearDown() override {
        if (!d) return;
        d->SetVertexShader(D3DFVF_XYZ);
        d->SetPixelShader(0);
        for (int i = 0; i < 8; ++i) d->SetTexture(i, nullptr);
        for (DWORD h : vertexShaders) d->DeleteVertexShader(h);
        for (DWORD h : pixelShaders) d->DeletePixelShader(h);
        for (IDirect3DBaseTexture8* t : textures) t->Release();
    }

    DWORD vertexShader(const Tokens& declaration, const Tokens& program) {
        DWORD handle = 0;
        EXPECT_EQ(D3D_OK, d->CreateVertexShader(reinterpret_cast<const DWORD*>(declaration.data()),
                                                reinterpret_cast<const DWORD*>(program.data()),
                                                &handle, 0));
        if (handle) vertexShaders.push_back(handle);
        return handle;
    }
    DWORD pixelShader(const Tokens& program) {
        DWORD handle = 0;
        EXPECT_EQ(D3D_OK,
                  d->CreatePixelShader(reinterpret_cast<const DWORD*>(program.data()), &handle));
        if (handle) pixelShaders.push_back(handle);
        return handle;
    }
    void constant(uint32_t reg, float x, float y, float z, float w) {
        const float v[4] = {x, y, z, w};
        d->SetVertexShaderConstant(reg, v, 1);
    }
    // c(first)..c(first + 3) = the rows of transpose(m).
    void matrix(uint32_t first, const Mat& m) {
        for (int i = 0; i < 4; ++i) constant(first + i, m.m[0][i], m.m[1][i], m.m[2][i], m.m[3][i]);
    }
    IDirect3DTexture8* texture(int w, int h, const std::function<uint32_t(int, int)>& texel) {
        IDirect3DTexture8* t = nullptr;
        EXPECT_EQ(D3D_OK, d->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t));
        if (!t) return nullptr;
        textures.push_back(t);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(D3D_OK, t->LockRect(0, &locked, nullptr, 0));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                reinterpret_cast<uint32_t*>(static_cast<BYTE*>(locked.pBits) +
                                            y * locked.Pitch)[x] = texel(x, y);
        t->UnlockRect(0);
        return t;
    }

    // Clears, draws `count` primitives of `type` with the programs and reads
    // the back buffer.
    template <typename Vertex>
    Readback draw(DWORD vs, DWORD ps, D3DPRIMITIVETYPE type, UINT count,
                  const std::vector<Vertex>& vertices) {
        d->Clear(0, nullptr, D3DCLEAR_TARGET, BACKGROUND, 1.0f, 0);
        d->BeginScene();
        d->SetVertexShader(vs);
        d->SetPixelShader(ps);
        EXPECT_EQ(D3D_OK, d->DrawPrimitiveUP(type, count, vertices.data(), sizeof(Vertex)));
        d->EndScene();
        Readback back;
        EXPECT_TRUE(readBackBuffer(d, &back));
        return back;
    }

    // One vertex-program output shown by a pixel program, and the colour the
    // CPU expects of it at each point.
    struct Route {
        const char* name;
        Tokens program;
        std::vector<Colour> expected;
    };
    // Draws the points once per route: each lands on its pixel and nowhere
    // else, in the route's colour.
    template <typename Vertex>
    void checkRoutes(DWORD vs, const std::vector<Vertex>& points,
                     const std::vector<std::pair<int, int>>& pixels,
                     const std::vector<Route>& routes) {
        const std::set<std::pair<int, int>> where(pixels.begin(), pixels.end());
        for (const Route& route : routes) {
            SCOPED_TRACE(route.name);
            const DWORD ps = pixelShader(route.program);
            ASSERT_NE(0u, ps);
            const Readback back = draw(vs, ps, D3DPT_POINTLIST, UINT(points.size()), points);
            EXPECT_EQ(where, drawnPixels(back));
            for (size_t i = 0; i < points.size(); ++i)
                EXPECT_TRUE(matches(back.rgb(pixels[i].first, pixels[i].second), route.expected[i]))
                    << "point " << i;
        }
    }

    TestStage stage;
    IDirect3DDevice8* d = nullptr;
    std::vector<DWORD> vertexShaders, pixelShaders;
    std::vector<IDirect3DBaseTexture8*> textures;
};

TEST_F(ShaderDevice, EveryProgramIsAcceptedWithItsDeclaration) {
    EXPECT_NE(0u, vertexShader(shader::surfaceVertexDeclaration(), shader::smFlatShaderProgram()));
    EXPECT_NE(0u, vertexShader(shader::bumpVertexDeclaration(), shader::dot3dsVertexProgram()));
    EXPECT_NE(0u,
              vertexShader(shader::surfaceVertexDeclaration(), shader::hwSoftShadowMapProgram()));
    EXPECT_NE(0u, pixelShader(shader::dot3dsPixelProgram()));
    EXPECT_NE(0u, pixelShader(shader::shadowReceiverPixelProgram(true)));
    EXPECT_NE(0u, pixelShader(shader::shadowReceiverPixelProgram(false)));
}

TEST_F(ShaderDevice, FlatShaderPutsClipDepthOverRangeIntoTexcoordZero) {
    const DWORD vs =
        vertexShader(shader::surfaceVertexDeclaration(), shader::smFlatShaderProgram());
    ASSERT_NE(0u, vs);
    constant(shader::C_DEPTH_SCALE, 0.2f, 0.35f, 0.55f, 1.0f);
    constant(shader::C_BLACK, 0.2f, 0.4f, 0.6f, 1.0f); // anything: the program passes it on
    // A 256 x 1 ramp whose texel i is i, as the colour-encoded shadow pass samples.
    IDirect3DTexture8* ramp = texture(256, 1, [](int x, int) { return 0x01010101u * uint32_t(x); });

    const float clipW[] = {1.5f, 2.0f, 3.0f};
    for (float w : clipW) {
        SCOPED_TRACE(w);
        const Mat place = placement(w);
        matrix(shader::C_WORLD_VIEW_PROJ, place);
        const std::vector<SurfaceVertex> points = {{30.25f, 20.25f, 0.2f, 0, 0, 1, 0, 0, 0},
                                                   {100.25f, 70.25f, 0.6f, 0, 0, 1, 0, 0, 0}};
        std::vector<std::pair<int, int>> pixels;
        std::vector<Colour> depth;
        for (const SurfaceVertex& p : points) {
            const float in[4] = {p.x, p.y, p.z, 1};
            float clip[4];
            transform(in, place, clip);
            pixels.push_back(pixelOf(clip));
            depth.push_back({0.2f * clip[3], 0.35f, 0.55f});
        }
        const Colour passed = {0.2f, 0.4f, 0.6f};
        checkRoutes(vs, points, pixels,
                    {{"oT0", showTexcoord(0), depth}, {"oD0", showColour(0), {passed, passed}}});

        // As the shadow pass uses it: the fixed-function stage looks the ramp up.
        d->SetTexture(0, ramp);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        const Readback grey = draw(vs, 0, D3DPT_POINTLIST, 2, points);
        d->SetTexture(0, nullptr);
        const float level = std::floor(0.2f * w * 256) / 255;
        for (auto [x, y] : pixels) EXPECT_TRUE(matches(grey.rgb(x, y), {level, level, level}, 1));
    }
}

TEST_F(ShaderDevice, BumpVertexProgramMatchesTangentSpaceOnTheCpu) {
    const DWORD vs = vertexShader(shader::bumpVertexDeclaration(), shader::dot3dsVertexProgram());
    ASSERT_NE(0u, vs);
    const Mat place = placement(2.0f);
    const Mat w = world(0.5f, 0.3f, {1, 2, 3});
    const Vec3 light = normalised({0.3f, 0.5f, 0.8f});
    const Vec3 camera = {60, 40, 200};
    matrix(shader::C_WORLD_VIEW_PROJ, place);
    matrix(shader::C_WORLD, w);
    constant(shader::C_ONE, 1, 1, 1, 1);
    constant(shader::C_HALF, 0.5f, 0.5f, 0.5f, 0.5f);
    constant(shader::C_LIGHT_DIRECTION, light.x, light.y, light.z, 0);
    constant(shader::C_CAMERA_POSITION, camera.x, camera.y, camera.z, 1);

    // Position, normal, tangents S and T, texcoord 0; each its own frame.
    auto point = [](Vec3 position, Vec3 normal, Vec3 s, Vec3 t, float u, float v) {
        return BumpVertex{position, normal, 0, u, v, s, t, {}, 0, 0};
    };
    const std::vector<BumpVertex> points = {
        point({20.25f, 30.25f, 0.2f}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 0.3f, 0.7f),
        point({70.25f, 50.25f, 0.5f}, {0, 0, 1}, {0.6f, 0.8f, 0}, {-0.8f, 0.6f, 0}, 0.9f, 0.1f),
        point({110.25f, 80.25f, 0.7f}, {0, -0.8f, 0.6f}, {1, 0, 0}, {0, 0.6f, 0.8f}, 0.5f, 0.25f)};

    // The same steps on the CPU, per point.
    std::vector<std::pair<int, int>> pixels;
    std::vector<Colour> uv, tangentLight, tangentHalf, packedHalf;
    for (const BumpVertex& p : points) {
        const float in[4] = {p.position.x, p.position.y, p.position.z, 1};
        float clip[4], world4[4];
        transform(in, place, clip);
        transform(in, w, world4);
        const Vec3 s = rotate(p.s, w), t = rotate(p.t, w), n = rotate(p.normal, w);
        const Vec3 l = normalised({dot(s, light), dot(t, light), dot(n, light)});
        const Vec3 view = normalised(camera - Vec3{world4[0], world4[1], world4[2]});
        const Vec3 h = normalised(light + view);
        const Vec3 ht = {dot(h, s), dot(h, t), dot(h, n)};
        pixels.push_back(pixelOf(clip));
        uv.push_back({p.u0, p.v0, 0});
        tangentLight.push_back({l.x, l.y, l.z});
        tangentHalf.push_back({ht.x, ht.y, ht.z});
        packedHalf.push_back({ht.x * 0.5f + 0.5f, ht.y * 0.5f + 0.5f, ht.z * 0.5f + 0.5f});
    }
    checkRoutes(vs, points, pixels,
                {{"oT0", showTexcoord(0), uv},
                 {"oT1", showTexcoord(1), uv},
                 {"oT2", showTexcoord(2), tangentLight},
                 {"oT3", showTexcoord(3), tangentHalf},
                 {"oD0", showColour(0), packedHalf}});
}

TEST_F(ShaderDevice, ShadowReceiverVertexProgramMatchesTheCpu) {
    const DWORD vs =
        vertexShader(shader::surfaceVertexDeclaration(), shader::hwSoftShadowMapProgram());
    ASSERT_NE(0u, vs);
    const Mat place = placement(1.0f);
    // Shadow-map coordinates across the screen; w is 0 half-way across,
    // behind the light beyond.
    const Mat shadow = {{{1.0f / WIDTH, 0, 0, -2.0f / WIDTH},
                         {0, 1.0f / HEIGHT, 0, 0},
                         {0.1f, 0, 1, 0},
                         {0, 0.05f, 0, 1}}};
    matrix(shader::C_WORLD_VIEW_PROJ, place);
    matrix(shader::C_SHADOW_MATRIX, shadow);
    constant(shader::C_ZERO, 0, 0, 0, 0);
    constant(shader::C_AMBIENT, 0.25f, 0.5f, 0.75f, 1);

    const std::vector<SurfaceVertex> points = {{12.25f, 30.25f, 0.2f, 0, 0, 1, 0, 0.1f, 0.9f},
                                               {44.25f, 70.25f, 0.4f, 0, 0, 1, 0, 0.3f, 0.6f},
                                               {76.25f, 50.25f, 0.6f, 0, 0, 1, 0, 0.7f, 0.2f},
                                               {108.25f, 10.25f, 0.9f, 0, 0, 1, 0, 1.0f, 0.4f}};
    std::vector<std::pair<int, int>> pixels;
    std::vector<Colour> ambient, front, coord, uv;
    for (const SurfaceVertex& p : points) {
        const float in[4] = {p.x, p.y, p.z, 1};
        float clip[4], shadowed[4];
        transform(in, place, clip);
        transform(in, shadow, shadowed);
        const float inFront = shadowed[3] > 0 ? 1.0f : 0.0f;
        pixels.push_back(pixelOf(clip));
        ambient.push_back({0.25f, 0.5f, 0.75f});
        front.push_back({inFront, inFront, inFront});
        coord.push_back({shadowed[0], shadowed[1], shadowed[2]});
        uv.push_back({p.u, p.v, 0});
    }
    ASSERT_EQ(1.0f, front.front().r); // both sides of the light are drawn
    ASSERT_EQ(0.0f, front.back().r);
    checkRoutes(vs, points, pixels,
                {{"oD0", showColour(0), ambient},
                 {"oD1", showColour(1), front},
                 {"oT0", showTexcoord(0), coord},
                 {"oT1", showTexcoord(1), coord},
                 {"oT2", showTexcoord(2), uv}});
}

// A full-screen quad in the bump format: tangent space = object space, the
// world the identity, texcoords 0..1 across.
std::vector<BumpVertex> bumpQuad() {
    std::vector<BumpVertex> quad;
    const float corners[4][2] = {{0, 0}, {WIDTH, 0}, {0, HEIGHT}, {WIDTH, HEIGHT}};
    for (const auto& c : corners) {
        const float u = c[0] / WIDTH, v = c[1] / HEIGHT;
        quad.push_back(
            {{c[0], c[1], 0.5f}, {0, 0, 1}, 0, u, v, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, u, v});
    }
    return quad;
}

TEST_F(ShaderDevice, BumpPixelProgramLightsNormalsFacingTheLightBrighter) {
    const DWORD vs = vertexShader(shader::bumpVertexDeclaration(), shader::dot3dsVertexProgram());
    const DWORD ps = pixelShader(shader::dot3dsPixelProgram());
    ASSERT_TRUE(vs && ps);
    const Mat identity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    matrix(shader::C_WORLD_VIEW_PROJ, placement(1.0f));
    matrix(shader::C_WORLD, identity);
    constant(shader::C_ONE, 1, 1, 1, 1);
    constant(shader::C_HALF, 0.5f, 0.5f, 0.5f, 0.5f);
    const Vec3 light = normalised({0.8f, 0, 0.6f}); // tilted towards +x
    constant(shader::C_LIGHT_DIRECTION, light.x, light.y, light.z, 0);
    constant(shader::C_CAMERA_POSITION, 80, 60, 1e5f, 1); // far above: view = +z

    const Colour base = {0.4f, 0.3f, 0.2f};
    IDirect3DTexture8* colour = texture(4, 4, [](int, int) { return 0xFF664D33u; });
    // Left half flat, right half tilted towards the light: (0, 0, 1) and
    // (0.8, 0, 0.6) packed into 0..255.
    const uint32_t flat = 0x008080FF, tilted = 0x00E580CC;
    const Vec3 normals[2] = {{0, 0, 1}, {0.8f, 0, 0.6f}};
    const Vec3 half = normalised(light + Vec3{0, 0, 1});
    const int columns[2] = {WIDTH / 4, 3 * WIDTH / 4};
    for (uint32_t gloss : {0u, 0x80u}) {
        SCOPED_TRACE(gloss);
        IDirect3DTexture8* bump =
            texture(2, 2, [&](int x, int) { return gloss << 24 | (x == 0 ? flat : tilted); });
        d->SetTexture(0, colour);
        d->SetTexture(1, bump);
        const Readback back = draw(vs, ps, D3DPT_TRIANGLESTRIP, 2, bumpQuad());
        uint32_t lit[2];
        for (int side = 0; side < 2; ++side) {
            const Vec3 n = normals[side];
            const float diffuse = dot(n, light), specular = dot(n, half) * dot(n, half);
            const float g = float(gloss) / 255;
            lit[side] = back.rgb(columns[side], HEIGHT / 2);
            EXPECT_TRUE(matches(lit[side],
                                {diffuse * base.r + specular * g, diffuse * base.g + specular * g,
                                 diffuse * base.b + specular * g},
                                4))
                << "side " << side;
        }
        for (int shift = 0; shift < 24; shift += 8)
            EXPECT_GT(lit[1] >> shift & 0xFF, (lit[0] >> shift & 0xFF) + 10);
    }
}

// The receiver over the whole viewport: a 64 x 64 D24S8 shadow map cleared
// to depth 0.5, a depth reference running from 0 at the left edge to 1 at
// the right, uniform spot and colour textures.
constexpr Colour AMBIENT = {0.2f, 0.1f, 0.3f};
constexpr Colour SPOT = {0.6f, 0.5f, 0.4f};      // texels 0x998066
constexpr Colour COLOURED = {1.0f, 0.5f, 0.75f}; // texels 0xFF80BF
Colour plus(Colour a, Colour b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Colour times(Colour a, Colour b) {
    return {a.r * b.r, a.g * b.g, a.b * b.b};
}

class ShadowReceiver : public ShaderDevice {
protected:
    void SetUp() override {
        ShaderDevice::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(D3D_OK, d->CreateTexture(64, 64, 1, D3DUSAGE_DEPTHSTENCIL, D3DFMT_D24S8,
                                           D3DPOOL_DEFAULT, &depth));
        ASSERT_EQ(D3D_OK, d->CreateRenderTarget(64, 64, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, FALSE,
                                                &target));
        IDirect3DSurface8 *depthSurface = nullptr, *savedTarget = nullptr, *savedDepth = nullptr;
        depth->GetSurfaceLevel(0, &depthSurface);
        d->GetRenderTarget(&savedTarget);
        d->GetDepthStencilSurface(&savedDepth);
        EXPECT_EQ(D3D_OK, d->SetRenderTarget(target, depthSurface));
        EXPECT_EQ(D3D_OK, d->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 0.5f, 0));
        d->SetRenderTarget(savedTarget, savedDepth);
        depthSurface->Release();
        savedTarget->Release();
        if (savedDepth) savedDepth->Release();

        spot = texture(4, 4, [](int, int) { return 0xFF998066u; });
        colour = texture(4, 4, [](int, int) { return 0xFFFF80BFu; });
        vs = vertexShader(shader::surfaceVertexDeclaration(), shader::hwSoftShadowMapProgram());
        ASSERT_NE(0u, vs);
        matrix(shader::C_WORLD_VIEW_PROJ, placement(1.0f));
        constant(shader::C_ZERO, 0, 0, 0, 0);
        constant(shader::C_AMBIENT, AMBIENT.r, AMBIENT.g, AMBIENT.b, 1);
        for (int stage = 0; stage < 3; ++stage) {
            d->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
            d->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
        }
    }
    void TearDown() override {
        ShaderDevice::TearDown();
        if (target) target->Release();
        if (depth) depth->Release();
    }

    // Draws with shadow-map coordinates u = x / width, v = y / height, depth
    // reference = x / width, all times `scale`, and w (the stages divide by
    // w when `scale` is not 1); returns the left and right quarter's colours.
    std::pair<uint32_t, uint32_t> leftAndRight(DWORD ps, bool withColour, float scale, float w) {
        const Mat shadow = {{{scale / WIDTH, 0, scale / WIDTH, 0},
                             {0, scale / HEIGHT, 0, 0},
                             {0, 0, 0, 0},
                             {0, 0, 0, w}}};
        matrix(shader::C_SHADOW_MATRIX, shadow);
        const DWORD flags = scale == 1.0f ? D3DTTFF_DISABLE : D3DTTFF_PROJECTED;
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, flags);
        d->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, flags);
        d->SetTexture(0, depth);
        d->SetTexture(1, spot);
        d->SetTexture(2, withColour ? colour : nullptr);
        std::vector<SurfaceVertex> quad;
        const float corners[4][2] = {{0, 0}, {WIDTH, 0}, {0, HEIGHT}, {WIDTH, HEIGHT}};
        for (const auto& c : corners)
            quad.push_back({c[0], c[1], 0.5f, 0, 0, 1, 0, c[0] / WIDTH, c[1] / HEIGHT});
        const Readback back = draw(vs, ps, D3DPT_TRIANGLESTRIP, 2, quad);
        d->SetTexture(0, nullptr);
        return {back.rgb(WIDTH / 4, HEIGHT / 2), back.rgb(3 * WIDTH / 4, HEIGHT / 2)};
    }

    IDirect3DTexture8* depth = nullptr;
    IDirect3DSurface8* target = nullptr;
    IDirect3DTexture8 *spot = nullptr, *colour = nullptr;
    DWORD vs = 0;
};

TEST_F(ShadowReceiver, LitInFrontOfTheStoredDepthAndAmbientBehindIt) {
    const DWORD withColour = pixelShader(shader::shadowReceiverPixelProgram(true));
    const DWORD without = pixelShader(shader::shadowReceiverPixelProgram(false));
    ASSERT_TRUE(withColour && without);
    // Unprojected (w = 1) and projected (w = 2).
    for (float w : {1.0f, 2.0f}) {
        SCOPED_TRACE(w);
        auto [lit, shadowed] = leftAndRight(withColour, true, w, w);
        EXPECT_TRUE(matches(lit, times(plus(AMBIENT, SPOT), COLOURED), 3));
        EXPECT_TRUE(matches(shadowed, times(AMBIENT, COLOURED), 3));
        auto [litPlain, shadowedPlain] = leftAndRight(without, false, w, w);
        EXPECT_TRUE(matches(litPlain, plus(AMBIENT, SPOT), 3));
        EXPECT_TRUE(matches(shadowedPlain, AMBIENT, 3));
    }
}

TEST_F(ShadowReceiver, BehindTheLightOnlyAmbientRemains) {
    const DWORD withColour = pixelShader(shader::shadowReceiverPixelProgram(true));
    const DWORD without = pixelShader(shader::shadowReceiverPixelProgram(false));
    ASSERT_TRUE(withColour && without);
    // The same references unprojected, but w < 0: the front test (oD1) is 0
    // on both sides of the stored depth.
    const auto plain = leftAndRight(without, false, 1.0f, -1.0f);
    EXPECT_TRUE(matches(plain.first, AMBIENT, 3));
    EXPECT_TRUE(matches(plain.second, AMBIENT, 3));
    const auto coloured = leftAndRight(withColour, true, 1.0f, -1.0f);
    EXPECT_TRUE(matches(coloured.first, times(AMBIENT, COLOURED), 3));
    EXPECT_TRUE(matches(coloured.second, times(AMBIENT, COLOURED), 3));
}

} // namespace

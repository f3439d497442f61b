#include "text_overlay.h"

#include "app/d3d_check.h"
#include "app/resource_count.h"
#include "overlay_font.h"

#include <algorithm>
#include <iterator>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace {

constexpr DWORD OVERLAY_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1; // 0x144
constexpr int PADDING = 4;                    // pixels between the panel's edge and the text
constexpr D3DCOLOR PANEL_COLOUR = 0x99000000; // black at alpha 0.6
constexpr D3DCOLOR TEXT_COLOUR = 0xFFFFFFFF;

// The atlas: the glyphs in code order, sixteen cells to a row, then one cell
// lit all over that the panel samples, so that panel and text share a
// texture and a draw call.
constexpr int ATLAS_COLUMNS = 16;
constexpr int SOLID_CELL = FONT_GLYPHS;
constexpr int ATLAS_SIZE = 128; // texels, square
static_assert(ATLAS_COLUMNS * FONT_CELL_WIDTH <= ATLAS_SIZE, "atlas too narrow");
static_assert((SOLID_CELL / ATLAS_COLUMNS + 1) * FONT_CELL_HEIGHT <= ATLAS_SIZE, "atlas too short");
// DrawPrimitiveUP takes at most this many quads at once here.
constexpr size_t QUADS_PER_DRAW = 8192;

int cellLeft(int cell) {
    return cell % ATLAS_COLUMNS * FONT_CELL_WIDTH;
}
int cellTop(int cell) {
    return cell / ATLAS_COLUMNS * FONT_CELL_HEIGHT;
}
// The atlas cell of a character, as fontRow picks its glyph.
int glyphCell(unsigned char c) {
    if (c < FONT_FIRST || c > FONT_LAST) c = '?';
    return c - FONT_FIRST;
}

uint32_t* texelRow(const D3DLOCKED_RECT& locked, int y) {
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(locked.pBits) +
                                       ptrdiff_t(y) * locked.Pitch);
}

// Glyph texels are white everywhere, opaque where the font has a bit: the
// alpha alone draws the text.
void fillAtlas(const D3DLOCKED_RECT& locked) {
    for (int y = 0; y < ATLAS_SIZE; ++y) std::fill_n(texelRow(locked, y), ATLAS_SIZE, 0x00FFFFFFu);
    for (int g = 0; g < FONT_GLYPHS; ++g)
        for (int y = 0; y < FONT_CELL_HEIGHT; ++y) {
            const uint8_t bits = fontRow(static_cast<unsigned char>(FONT_FIRST + g), y);
            uint32_t* row = texelRow(locked, cellTop(g) + y) + cellLeft(g);
            for (int x = 0; x < FONT_CELL_WIDTH; ++x)
                if (bits & (0x80 >> x)) row[x] = 0xFFFFFFFFu;
        }
    for (int y = 0; y < FONT_CELL_HEIGHT; ++y)
        std::fill_n(texelRow(locked, cellTop(SOLID_CELL) + y) + cellLeft(SOLID_CELL),
                    FONT_CELL_WIDTH, 0xFFFFFFFFu);
}

struct RenderStateValue {
    D3DRENDERSTATETYPE state;
    DWORD value;
    const char* name;
};
struct StageStateValue {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE state;
    DWORD value;
    const char* name;
};
// clang-format off
#define NL_RS(state, value) {state, DWORD(value), "SetRenderState(" #state ", " #value ")"}
#define NL_TSS(stage, state, value)                                                              \
    {stage, state, DWORD(value), "SetTextureStageState(" #stage ", " #state ", " #value ")"}

// Everything the overlay's look depends on, whatever a scene left behind.
const RenderStateValue kDrawRenderStates[] = {
    NL_RS(D3DRS_ZENABLE, D3DZB_FALSE),
    NL_RS(D3DRS_ZWRITEENABLE, FALSE),
    NL_RS(D3DRS_ALPHABLENDENABLE, TRUE),
    NL_RS(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA),
    NL_RS(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA),
    NL_RS(D3DRS_BLENDOP, D3DBLENDOP_ADD),
    NL_RS(D3DRS_ALPHATESTENABLE, FALSE),
    NL_RS(D3DRS_LIGHTING, FALSE),
    NL_RS(D3DRS_CULLMODE, D3DCULL_NONE),
    NL_RS(D3DRS_FOGENABLE, FALSE),
    NL_RS(D3DRS_STENCILENABLE, FALSE),
    NL_RS(D3DRS_FILLMODE, D3DFILL_SOLID), // the wireframe switch
    NL_RS(D3DRS_WRAP0, 0),
};
const StageStateValue kDrawStageStates[] = {
    NL_TSS(0, D3DTSS_COLOROP, D3DTOP_MODULATE),
    NL_TSS(0, D3DTSS_COLORARG1, D3DTA_TEXTURE),
    NL_TSS(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE),
    NL_TSS(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE),
    NL_TSS(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE),
    NL_TSS(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE),
    NL_TSS(0, D3DTSS_RESULTARG, D3DTA_CURRENT),
    NL_TSS(0, D3DTSS_TEXCOORDINDEX, 0),
    NL_TSS(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE),
    NL_TSS(0, D3DTSS_MINFILTER, D3DTEXF_POINT), // texel for pixel: sharp glyphs
    NL_TSS(0, D3DTSS_MAGFILTER, D3DTEXF_POINT),
    NL_TSS(0, D3DTSS_MIPFILTER, D3DTEXF_NONE),
    NL_TSS(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP),
    NL_TSS(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP),
    NL_TSS(1, D3DTSS_COLOROP, D3DTOP_DISABLE),
    NL_TSS(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE),
};

#undef NL_RS
#undef NL_TSS
// clang-format on

template <size_t N, size_t M>
bool applyStates(IDirect3DDevice8* d, const RenderStateValue (&render)[N],
                 const StageStateValue (&stages)[M]) {
    bool ok = true;
    for (const RenderStateValue& s : render)
        ok &= d3dCheck(d->SetRenderState(s.state, s.value), s.name, __FILE__, __LINE__);
    for (const StageStateValue& s : stages)
        ok &= d3dCheck(d->SetTextureStageState(s.stage, s.state, s.value), s.name, __FILE__,
                       __LINE__);
    return ok;
}

// The whole current render target: the overlay must not be cut by a
// viewport a scene left (that of a texture target, say).
bool setFullViewport(IDirect3DDevice8* d) {
    IDirect3DSurface8* target = nullptr;
    if (!D3D_CHECK(d->GetRenderTarget(&target))) return false;
    D3DSURFACE_DESC desc;
    const bool described = D3D_CHECK(target->GetDesc(&desc));
    target->Release();
    if (!described) return false;
    D3DVIEWPORT8 viewport = {0, 0, desc.Width, desc.Height, 0.0f, 1.0f};
    return D3D_CHECK(d->SetViewport(&viewport));
}

} // namespace

int TextOverlay::cellWidth() {
    return FONT_CELL_WIDTH;
}
int TextOverlay::cellHeight() {
    return FONT_CELL_HEIGHT;
}
int TextOverlay::padding() {
    return PADDING;
}

OverlayRect TextOverlay::panelRect(const std::vector<std::string>& lines, float left, float top) {
    const int x = int(std::floor(left)), y = int(std::floor(top));
    if (lines.empty()) return {x, y, x, y};
    size_t columns = 0;
    for (const std::string& line : lines) columns = std::max(columns, line.size());
    return {x, y, x + 2 * PADDING + int(columns) * FONT_CELL_WIDTH,
            y + 2 * PADDING + int(lines.size()) * FONT_CELL_HEIGHT};
}

bool TextOverlay::create(IDirect3DDevice8* device) {
    release();
    if (!device) return false;
    IDirect3DTexture8* texture = nullptr;
    if (!D3D_CHECK(device->CreateTexture(ATLAS_SIZE, ATLAS_SIZE, 1, 0, D3DFMT_A8R8G8B8,
                                         D3DPOOL_MANAGED, &texture)))
        return false;
    countResource(texture);
    D3DLOCKED_RECT locked;
    if (!D3D_CHECK(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return false;
    }
    fillAtlas(locked);
    if (!D3D_CHECK(texture->UnlockRect(0))) {
        texture->Release();
        return false;
    }
    atlas = texture;
    return true;
}

void TextOverlay::release() {
    if (atlas) atlas->Release();
    atlas = nullptr;
}

// A screen rectangle of whole pixels from (x, y); pixel centres sit on whole
// coordinates with pre-transformed vertices, so the corners go half a pixel
// up and left to put texel centres on pixel centres.
void TextOverlay::addQuad(float x, float y, float width, float height, D3DCOLOR colour, float u0,
                          float v0, float u1, float v1) {
    const float x0 = x - 0.5f, y0 = y - 0.5f, x1 = x0 + width, y1 = y0 + height;
    const Vertex a = {x0, y0, 0.0f, 1.0f, colour, u0, v0};
    const Vertex b = {x1, y0, 0.0f, 1.0f, colour, u1, v0};
    const Vertex c = {x1, y1, 0.0f, 1.0f, colour, u1, v1};
    const Vertex d = {x0, y1, 0.0f, 1.0f, colour, u0, v1};
    vertices.insert(vertices.end(), {a, b, c, a, c, d});
}

bool TextOverlay::setStates(IDirect3DDevice8* d) {
    bool ok = applyStates(d, kDrawRenderStates, kDrawStageStates);
    ok &= D3D_CHECK(d->SetVertexShader(OVERLAY_FVF));
    ok &= D3D_CHECK(d->SetPixelShader(0));
    ok &= D3D_CHECK(d->SetTexture(0, atlas));
    ok &= setFullViewport(d);
    return ok;
}

namespace {

// Every state the overlay sets, as it stood before: the scenes' drawing
// counts on the states it left (and on those its metascene set once).
struct SavedStates {
    DWORD render[std::size(kDrawRenderStates)] = {};
    DWORD stage[std::size(kDrawStageStates)] = {};
    DWORD vertexShader = 0, pixelShader = 0;
    IDirect3DBaseTexture8* texture = nullptr; // referenced while saved
    D3DVIEWPORT8 viewport = {};
};

void saveStates(IDirect3DDevice8* d, SavedStates& saved) {
    for (size_t i = 0; i < std::size(kDrawRenderStates); ++i)
        D3D_CHECK(d->GetRenderState(kDrawRenderStates[i].state, &saved.render[i]));
    for (size_t i = 0; i < std::size(kDrawStageStates); ++i)
        D3D_CHECK(d->GetTextureStageState(kDrawStageStates[i].stage, kDrawStageStates[i].state,
                                          &saved.stage[i]));
    D3D_CHECK(d->GetVertexShader(&saved.vertexShader));
    D3D_CHECK(d->GetPixelShader(&saved.pixelShader));
    if (!D3D_CHECK(d->GetTexture(0, &saved.texture))) saved.texture = nullptr;
    D3D_CHECK(d->GetViewport(&saved.viewport));
}

void restoreStates(IDirect3DDevice8* d, SavedStates& saved) {
    for (size_t i = 0; i < std::size(kDrawRenderStates); ++i)
        D3D_CHECK(d->SetRenderState(kDrawRenderStates[i].state, saved.render[i]));
    for (size_t i = 0; i < std::size(kDrawStageStates); ++i)
        D3D_CHECK(d->SetTextureStageState(kDrawStageStates[i].stage, kDrawStageStates[i].state,
                                          saved.stage[i]));
    D3D_CHECK(d->SetVertexShader(saved.vertexShader));
    D3D_CHECK(d->SetPixelShader(saved.pixelShader));
    // The atlas is never left bound: it goes with release().
    D3D_CHECK(d->SetTexture(0, saved.texture));
    if (saved.texture) saved.texture->Release();
    saved.texture = nullptr;
    D3D_CHECK(d->SetViewport(&saved.viewport));
}

} // namespace

void TextOverlay::draw(IDirect3DDevice8* device, const std::vector<std::string>& lines, float left,
                       float top) {
    if (!device || !atlas || lines.empty()) return;
    static_assert(sizeof(Vertex) == 28, "transformed, coloured, one texture coordinate set");

    const float texel = 1.0f / ATLAS_SIZE;
    const OverlayRect panel = panelRect(lines, left, top);
    vertices.clear();
    // The panel samples the middle of the lit cell.
    const float solidU = (cellLeft(SOLID_CELL) + FONT_CELL_WIDTH / 2) * texel;
    const float solidV = (cellTop(SOLID_CELL) + FONT_CELL_HEIGHT / 2) * texel;
    addQuad(float(panel.left), float(panel.top), float(panel.right - panel.left),
            float(panel.bottom - panel.top), PANEL_COLOUR, solidU, solidV, solidU, solidV);
    for (size_t i = 0; i < lines.size(); ++i) {
        const float y = float(panel.top + PADDING) + float(i) * FONT_CELL_HEIGHT;
        for (size_t c = 0; c < lines[i].size(); ++c) {
            const unsigned char ch = static_cast<unsigned char>(lines[i][c]);
            if (ch == ' ') continue;
            const int cell = glyphCell(ch);
            const float x = float(panel.left + PADDING) + float(c) * FONT_CELL_WIDTH;
            addQuad(x, y, FONT_CELL_WIDTH, FONT_CELL_HEIGHT, TEXT_COLOUR, cellLeft(cell) * texel,
                    cellTop(cell) * texel, (cellLeft(cell) + FONT_CELL_WIDTH) * texel,
                    (cellTop(cell) + FONT_CELL_HEIGHT) * texel);
        }
    }

    SavedStates saved;
    saveStates(device, saved);
    if (setStates(device) && D3D_CHECK(device->BeginScene())) {
        // The panel is the first quad: the text blends over it.
        const size_t quads = vertices.size() / 6;
        for (size_t first = 0; first < quads; first += QUADS_PER_DRAW) {
            const size_t count = std::min(QUADS_PER_DRAW, quads - first);
            if (!D3D_CHECK(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(count * 2),
                                                   &vertices[first * 6], sizeof(Vertex))))
                break;
        }
        D3D_CHECK(device->EndScene());
    }
    restoreStates(device, saved);
}

// The author's overlay drawn on a real device under Wine and read back: every
// pixel of the panel is either a lit bit of the font, in white, or the
// background darkened by the panel; every pixel outside it is untouched. The
// same holds after the states a scene may leave behind and after a device
// reset.

#include "app/readback.h"
#include "render/overlay_font.h"
#include "render/shader_tokens.h"
#include "render/text_overlay.h"
#include "tests/support/test_stage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

constexpr uint32_t BACKGROUND = 0x4080C0;
constexpr uint32_t WHITE = 0xFFFFFF;
constexpr int PANEL_ALPHA = 153; // 0.6 of 255

// The background seen through the panel: each channel times 1 - 0.6.
uint32_t darkened(uint32_t rgb) {
    uint32_t out = 0;
    for (int s = 0; s < 24; s += 8)
        out |= uint32_t(((rgb >> s & 0xFF) * (255 - PANEL_ALPHA) + 127) / 255) << s;
    return out;
}

DWORD floatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

bool closeTo(uint32_t got, uint32_t want, int tolerance) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs(int(got >> s & 0xFF) - int(want >> s & 0xFF)) > tolerance) return false;
    return true;
}

// What pixel (x, y) must be with `lines` drawn at (left, top) over `background`.
uint32_t expectedPixel(const Lines& lines, float left, float top, int x, int y,
                       uint32_t background) {
    const OverlayRect r = TextOverlay::panelRect(lines, left, top);
    if (x < r.left || x >= r.right || y < r.top || y >= r.bottom) return background;
    const int tx = x - r.left - TextOverlay::padding(), ty = y - r.top - TextOverlay::padding();
    if (tx >= 0 && ty >= 0) {
        const size_t line = size_t(ty / TextOverlay::cellHeight());
        const size_t column = size_t(tx / TextOverlay::cellWidth());
        if (line < lines.size() && column < lines[line].size()) {
            const uint8_t bits = fontRow(static_cast<unsigned char>(lines[line][column]),
                                         ty % TextOverlay::cellHeight());
            if (bits & (0x80 >> (tx % TextOverlay::cellWidth()))) return WHITE;
        }
    }
    return darkened(background);
}

// Every pixel of the back buffer against expectedPixel: glyph bits and the
// untouched outside exactly, the panel's blend within rounding.
::testing::AssertionResult matchesOverlay(const Readback& back, const Lines& lines, float left,
                                          float top, uint32_t background = BACKGROUND) {
    int wrong = 0;
    std::ostringstream first;
    for (UINT y = 0; y < back.height; ++y)
        for (UINT x = 0; x < back.width; ++x) {
            const uint32_t want = expectedPixel(lines, left, top, int(x), int(y), background);
            const bool exact = want == WHITE || want == background;
            if (closeTo(back.rgb(x, y), want, exact ? 0 : 2)) continue;
            if (wrong++ < 5)
                first << " (" << x << "," << y << ") 0x" << std::hex << back.rgb(x, y) << " want 0x"
                      << want << std::dec;
        }
    if (wrong == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << wrong << " pixels differ:" << first.str();
}

const Lines kSample = {"H", "0O 1lI :.-()\"_/,", "time 1:23.040   58.9 fps", "\tbad~"};

class TextOverlayDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stage.open(320, 240));
        d = stage.device();
        ASSERT_TRUE(overlay.create(d));
    }
    void TearDown() override {
        if (d) {
            d->SetPixelShader(0);
            for (DWORD h : pixelShaders) d->DeletePixelShader(h);
        }
        overlay.release();
    }
    // Clears the whole target to the background, with depth 1 or, for the
    // hostile states, 0; sets those after the clear (their viewport would cut
    // it); draws and reads back.
    Readback drawn(const Lines& lines, float left, float top, bool hostile = false) {
        D3DVIEWPORT8 full = {0, 0, 4096, 4096, 0, 1};
        IDirect3DSurface8* target = nullptr;
        D3DSURFACE_DESC desc;
        if (d->GetRenderTarget(&target) == D3D_OK) {
            target->GetDesc(&desc);
            target->Release();
            full.Width = desc.Width;
            full.Height = desc.Height;
        }
        d->SetViewport(&full);
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000 | BACKGROUND,
                 hostile ? 0.0f : 1.0f, 0);
        if (hostile) setHostileStates();
        overlay.draw(d, lines, left, top);
        Readback back;
        EXPECT_TRUE(readBackBuffer(d, &back));
        return back;
    }
    DWORD renderState(D3DRENDERSTATETYPE state) {
        DWORD value = 0;
        EXPECT_EQ(D3D_OK, d->GetRenderState(state, &value));
        return value;
    }
    DWORD stageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state) {
        DWORD value = 0;
        EXPECT_EQ(D3D_OK, d->GetTextureStageState(stage, state, &value));
        return value;
    }
    // What a scene could leave set when the overlay comes to draw.
    void setHostileStates() {
        d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        d->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS); // against a depth of 0: nothing passes
        d->SetRenderState(D3DRS_FOGENABLE, TRUE);
        d->SetRenderState(D3DRS_FOGCOLOR, 0xFFFF0000);
        d->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        d->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
        d->SetRenderState(D3DRS_FOGSTART, floatBits(-2.0f)); // every depth past the end:
        d->SetRenderState(D3DRS_FOGEND, floatBits(-1.0f));   // all fog colour
        d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
        d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
        d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
        d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
        d->SetRenderState(D3DRS_STENCILENABLE, TRUE);
        d->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NEVER);
        d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
        d->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
        d->SetRenderState(D3DRS_LIGHTING, TRUE);
        d->SetRenderState(D3DRS_WRAP0, D3DWRAP_U);
        d->SetRenderState(D3DRS_TEXTUREFACTOR, 0x4000FF00);
        d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
        d->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
        d->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
        d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS,
                                D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
        const D3DMATRIX half = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1, 0, 0.25f, 0.25f, 0, 1};
        d->SetTransform(D3DTS_TEXTURE0, &half);
        d->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
        d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        d->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
        D3DVIEWPORT8 corner = {0, 0, 8, 8, 0, 1}; // a texture target's viewport, say
        d->SetViewport(&corner);
        // A pixel program that paints green, bound.
        using namespace shader;
        const std::vector<uint32_t> green = ShaderBuilder::ps(1, 1).mov(r(0), c(0)).end();
        DWORD handle = 0;
        ASSERT_EQ(D3D_OK,
                  d->CreatePixelShader(reinterpret_cast<const DWORD*>(green.data()), &handle));
        pixelShaders.push_back(handle);
        const float colour[4] = {0, 1, 0, 1};
        d->SetPixelShaderConstant(0, colour, 1);
        d->SetPixelShader(handle);
    }

    TestStage stage;
    IDirect3DDevice8* d = nullptr;
    TextOverlay overlay;
    std::vector<DWORD> pixelShaders;
};

TEST_F(TextOverlayDevice, PanelRectangleFollowsTheLongestLine) {
    EXPECT_EQ(8, TextOverlay::cellWidth());
    EXPECT_EQ(12, TextOverlay::cellHeight());
    const int pad = TextOverlay::padding();
    const OverlayRect r = TextOverlay::panelRect({"ab", "", "abcd"}, 10.75f, 3.0f);
    EXPECT_EQ(10, r.left); // whole pixels, rounded down
    EXPECT_EQ(3, r.top);
    EXPECT_EQ(10 + 2 * pad + 4 * 8, r.right);
    EXPECT_EQ(3 + 2 * pad + 3 * 12, r.bottom);
    const OverlayRect none = TextOverlay::panelRect({}, 10, 3);
    EXPECT_EQ(none.left, none.right);
    EXPECT_EQ(none.top, none.bottom);
    // No lines: nothing drawn at all.
    EXPECT_TRUE(matchesOverlay(drawn({}, 10, 3), {}, 10, 3));
}

TEST_F(TextOverlayDevice, GlyphsAreTheFontsBitsOnADarkenedPanel) {
    const Readback back = drawn(kSample, 5, 7);
    ASSERT_GE(back.width, UINT(TextOverlay::panelRect(kSample, 5, 7).right + 2));
    ASSERT_GE(back.height, UINT(TextOverlay::panelRect(kSample, 5, 7).bottom + 2));
    EXPECT_TRUE(matchesOverlay(back, kSample, 5, 7));
    // Spelled out for the "H" in the first cell: its crossbar on cell row 5,
    // its two stems, and the panel's dark between them.
    const int x = 5 + TextOverlay::padding(), y = 7 + TextOverlay::padding();
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(WHITE, back.rgb(UINT(x + i), UINT(y + 5))) << i;
    EXPECT_EQ(WHITE, back.rgb(UINT(x + 1), UINT(y + 2)));
    EXPECT_EQ(WHITE, back.rgb(UINT(x + 5), UINT(y + 8)));
    EXPECT_TRUE(closeTo(back.rgb(UINT(x + 3), UINT(y + 3)), darkened(BACKGROUND), 2));
    EXPECT_TRUE(closeTo(back.rgb(UINT(x + 3), UINT(y + 3)), 0x1A334D, 2));
    EXPECT_EQ(BACKGROUND, back.rgb(4, 7)); // just left of the panel
    EXPECT_EQ(BACKGROUND, back.rgb(5, 6)); // just above it
    // A position between pixels draws as at the pixel above and left of it.
    EXPECT_TRUE(matchesOverlay(drawn(kSample, 5.6f, 7.9f), kSample, 5, 7));
}

TEST_F(TextOverlayDevice, StatesASceneLeavesDoNotChangeTheText) {
    const Readback clean = drawn(kSample, 12, 9);
    ASSERT_TRUE(matchesOverlay(clean, kSample, 12, 9));
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    EXPECT_TRUE(matchesOverlay(drawn(kSample, 12, 9, true), kSample, 12, 9));
    // Every state it set is as the scene left it: the scenes' drawing counts
    // on them. The atlas is not left bound; the colour mask is the caller's.
    EXPECT_EQ(DWORD(D3DZB_TRUE), renderState(D3DRS_ZENABLE));
    EXPECT_EQ(DWORD(TRUE), renderState(D3DRS_ZWRITEENABLE));
    EXPECT_EQ(DWORD(D3DCULL_CW), renderState(D3DRS_CULLMODE));
    EXPECT_EQ(DWORD(TRUE), renderState(D3DRS_FOGENABLE));
    EXPECT_EQ(DWORD(D3DFILL_WIREFRAME), renderState(D3DRS_FILLMODE));
    EXPECT_EQ(DWORD(TRUE), renderState(D3DRS_LIGHTING));
    EXPECT_EQ(DWORD(FALSE), renderState(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(DWORD(D3DWRAP_U), renderState(D3DRS_WRAP0));
    EXPECT_EQ(DWORD(D3DTOP_SELECTARG2), stageState(0, D3DTSS_COLOROP));
    EXPECT_EQ(DWORD(D3DTOP_SELECTARG1), stageState(0, D3DTSS_ALPHAOP));
    EXPECT_EQ(DWORD(D3DTTFF_COUNT3 | D3DTTFF_PROJECTED),
              stageState(0, D3DTSS_TEXTURETRANSFORMFLAGS));
    EXPECT_EQ(DWORD(D3DTEXF_LINEAR), stageState(0, D3DTSS_MAGFILTER));
    EXPECT_EQ(DWORD(D3DTOP_SELECTARG1), stageState(1, D3DTSS_COLOROP));
    EXPECT_EQ(15u, renderState(D3DRS_COLORWRITEENABLE));
    DWORD pixelShader = 0;
    EXPECT_EQ(D3D_OK, d->GetPixelShader(&pixelShader));
    EXPECT_EQ(pixelShaders.back(), pixelShader);
    D3DVIEWPORT8 viewport = {};
    EXPECT_EQ(D3D_OK, d->GetViewport(&viewport));
    EXPECT_EQ(8u, viewport.Width);
    EXPECT_EQ(8u, viewport.Height);
    IDirect3DBaseTexture8* bound = reinterpret_cast<IDirect3DBaseTexture8*>(1);
    EXPECT_EQ(D3D_OK, d->GetTexture(0, &bound));
    EXPECT_EQ(nullptr, bound);
    if (bound) bound->Release();
}

// The colour-write mask is the caller's (an eye pass's): with red only, the
// text and panel change red alone.
TEST_F(TextOverlayDevice, ColourWriteMaskIsLeftToTheCaller) {
    d->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED);
    const Readback back = drawn({"H"}, 0, 0);
    d->SetRenderState(D3DRS_COLORWRITEENABLE, 15);
    const int x = TextOverlay::padding(), y = TextOverlay::padding();
    EXPECT_EQ(0xFF80C0u, back.rgb(UINT(x + 1), UINT(y + 5)));              // a bit of the H
    EXPECT_TRUE(closeTo(back.rgb(UINT(x + 3), UINT(y + 3)), 0x1A80C0, 2)); // panel
    EXPECT_EQ(BACKGROUND, back.rgb(UINT(x + 40), UINT(y + 3)));            // outside
}

TEST_F(TextOverlayDevice, DrawsTheSameAfterADeviceReset) {
    ASSERT_TRUE(matchesOverlay(drawn(kSample, 3, 4), kSample, 3, 4));
    stage.display.resetAll();
    ASSERT_EQ(D3D_OK, d->TestCooperativeLevel());
    EXPECT_TRUE(overlay.created());
    EXPECT_TRUE(matchesOverlay(drawn(kSample, 3, 4), kSample, 3, 4));
}

} // namespace

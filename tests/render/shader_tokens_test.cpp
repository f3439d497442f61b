// The token builder against programs assembled by hand from the token
// layout: instruction token = opcode (no length in versions 1.x);
// destination = bit 31 | register type << 28 | write mask << 16 | modifiers
// | number; source = bit 31 | type << 28 | modifier << 24 | swizzle << 16 |
// number (swizzle 0xE4 = .xyzw).

#include "render/shader_tokens.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace shader;
using Tokens = std::vector<uint32_t>;

// The instructions after the version token, without the end token.
Tokens body(ShaderBuilder& b) {
    Tokens all = b.end();
    return Tokens(all.begin() + 1, all.end() - 1);
}

TEST(ShaderTokens, VersionAndEndTokens) {
    EXPECT_EQ((Tokens{0xFFFE0101u, 0x0000FFFFu}), ShaderBuilder::vs(1, 1).end());
    EXPECT_EQ((Tokens{0xFFFE0100u, 0x0000FFFFu}), ShaderBuilder::vs(1, 0).end());
    EXPECT_EQ((Tokens{0xFFFF0101u, 0x0000FFFFu}), ShaderBuilder::ps(1, 1).end());
    EXPECT_EQ((Tokens{0xFFFF0104u, 0x0000FFFFu}), ShaderBuilder::ps(1, 4).end());
}

TEST(ShaderTokens, VertexInstructions) {
    ShaderBuilder b = ShaderBuilder::vs(1, 1);
    b.dp4(oPos.x(), v(0), c(2));
    b.mov(oPos, r(0));
    b.mov(oD(0), c(70));
    b.mov(oT(2).xyz(), r(4));
    b.mul(oT(0).x(), r(0).w(), c(20).x());
    b.mad(oD(0), r(6), c(18), c(18));
    b.add(r(5).xyz(), c(34), -r(5));
    b.sub(r(0), v(0), c(5));
    b.rsq(r(4).w(), r(4).w());
    b.rcp(r(1).w(), v(1).z());
    b.dp3(r(1).x(), v(5), c(13));
    b.slt(oD(1), c(0), r(0).w());
    b.sge(r(1).y(), v(2), c(3).select("zxyw"));
    b.min(r(2), r(0), c(1));
    b.max(r(3).select("xw"), r(1).x(), -c(4).y());
    const Tokens expected = {
        0x00000009, 0xC0010000, 0x90E40000, 0xA0E40002,             // dp4 oPos.x, v0, c2
        0x00000001, 0xC00F0000, 0x80E40000,                         // mov oPos, r0
        0x00000001, 0xD00F0000, 0xA0E40046,                         // mov oD0, c70
        0x00000001, 0xE0070002, 0x80E40004,                         // mov oT2.xyz, r4
        0x00000005, 0xE0010000, 0x80FF0000, 0xA0000014,             // mul oT0.x, r0.w, c20.x
        0x00000004, 0xD00F0000, 0x80E40006, 0xA0E40012, 0xA0E40012, // mad oD0, r6, c18, c18
        0x00000002, 0x80070005, 0xA0E40022, 0x81E40005,             // add r5.xyz, c34, -r5
        0x00000003, 0x800F0000, 0x90E40000, 0xA0E40005,             // sub r0, v0, c5
        0x00000007, 0x80080004, 0x80FF0004,                         // rsq r4.w, r4.w
        0x00000006, 0x80080001, 0x90AA0001,                         // rcp r1.w, v1.z
        0x00000008, 0x80010001, 0x90E40005, 0xA0E4000D,             // dp3 r1.x, v5, c13
        0x0000000C, 0xD00F0001, 0xA0E40000, 0x80FF0000,             // slt oD1, c0, r0.w
        0x0000000D, 0x80020001, 0x90E40002, 0xA0D20003,             // sge r1.y, v2, c3.zxyw
        0x0000000A, 0x800F0002, 0x80E40000, 0xA0E40001,             // min r2, r0, c1
        0x0000000B, 0x80090003, 0x80000001, 0xA1550004,             // max r3.xw, r1.x, -c4.y
    };
    EXPECT_EQ(expected, body(b));
}

TEST(ShaderTokens, PixelInstructionsAndSourceModifiers) {
    ShaderBuilder b = ShaderBuilder::ps(1, 1);
    b.tex(t(0));
    b.texcoord(t(3));
    b.dp3(r(0), t(2), bx2(t(1)));
    b.mad(r(0), r(1), t(1).a(), r(0));
    b.mul(r(0).rgb(), t(0), v(1));
    b.mov(r(0).a(), v(0));
    b.add(r(0), bias(t(0)), -bias(t(1)));
    b.mul(r(1), comp(t(0)), -bx2(t(1)));
    b.mov(r(1), -(-v(1)));
    const Tokens expected = {
        0x00000042, 0xB00F0000,                                     // tex t0
        0x00000040, 0xB00F0003,                                     // texcoord t3
        0x00000008, 0x800F0000, 0xB0E40002, 0xB4E40001,             // dp3 r0, t2, t1_bx2
        0x00000004, 0x800F0000, 0x80E40001, 0xB0FF0001, 0x80E40000, // mad r0, r1, t1.a, r0
        0x00000005, 0x80070000, 0xB0E40000, 0x90E40001,             // mul r0.rgb, t0, v1
        0x00000001, 0x80080000, 0x90E40000,                         // mov r0.a, v0
        0x00000002, 0x800F0000, 0xB2E40000, 0xB3E40001,             // add r0, t0_bias, -t1_bias
        0x00000005, 0x800F0001, 0xB6E40000, 0xB5E40001,             // mul r1, 1-t0, -t1_bx2
        0x00000001, 0x800F0001, 0x90E40001,                         // mov r1, v1
    };
    EXPECT_EQ(expected, body(b));
}

TEST(ShaderTokens, ResultModifiers) {
    ShaderBuilder b = ShaderBuilder::ps(1, 1);
    b.mov(sat(r(0)), v(0));
    b.add(x2(r(0)), t(0), v(0));
    b.add(x4(r(1).rgb()), t(0), v(0));
    b.mul(d2(r(0)), t(0), v(0));
    b.mul(sat(x2(r(0).a())), t(0), v(0));
    const Tokens expected = {
        0x00000001, 0x801F0000, 0x90E40000,             // mov_sat r0, v0
        0x00000002, 0x810F0000, 0xB0E40000, 0x90E40000, // add_x2 r0, t0, v0
        0x00000002, 0x82070001, 0xB0E40000, 0x90E40000, // add_x4 r1.rgb, t0, v0
        0x00000005, 0x8F0F0000, 0xB0E40000, 0x90E40000, // mul_d2 r0, t0, v0
        0x00000005, 0x81180000, 0xB0E40000, 0x90E40000, // mul_x2_sat r0.a, t0, v0
    };
    EXPECT_EQ(expected, body(b));
}

TEST(ShaderTokens, SelectionsAsMasksAndSwizzles) {
    // Colour and position letters are the same components.
    EXPECT_EQ(r(0).select("rgba").destinationToken(), r(0).destinationToken());
    EXPECT_EQ(0x800F0000u, r(0).select("xyzw").destinationToken());
    EXPECT_EQ(0x800E0000u, r(0).select("yzw").destinationToken());
    EXPECT_EQ(0x80E40000u, r(0).select("rgba").sourceToken());
    // A short swizzle repeats its last letter.
    EXPECT_EQ(0x80540000u, r(0).select("xy").sourceToken()); // .xyyy
    EXPECT_EQ(0x80A40000u, r(0).xyz().sourceToken());        // .xyzz
    EXPECT_EQ(0x801B0000u, r(0).select("wzyx").sourceToken());
    // Register numbers fill the low bits.
    EXPECT_EQ(0xA0E4005Fu, c(95).sourceToken());
    EXPECT_EQ(0xE00F0007u, oT(7).destinationToken());
}

TEST(ShaderTokens, DeclarationTokens) {
    EXPECT_EQ(0x20000000u, declStream(0));
    EXPECT_EQ(0x20000001u, declStream(1));
    EXPECT_EQ(0x40020000u, declReg(0, DECLTYPE_FLOAT3));
    EXPECT_EQ(0x40010003u, declReg(3, DECLTYPE_FLOAT2));
    EXPECT_EQ(0x40040002u, declReg(2, DECLTYPE_D3DCOLOR));
    EXPECT_EQ(0x40030007u, declReg(7, DECLTYPE_FLOAT4));
    EXPECT_EQ(0x40000004u, declReg(4, DECLTYPE_FLOAT1));
    EXPECT_EQ(0xFFFFFFFFu, DECL_END);
}

} // namespace

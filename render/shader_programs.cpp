#include "shader_programs.h"

#include "shader_tokens.h"

namespace shader {

namespace {

// dst = v0 x the four transposed-matrix rows starting at c(first).
void transformPoint(ShaderBuilder& b, const Operand& dst, uint32_t first) {
    b.dp4(dst.x(), v(0), c(first));
    b.dp4(dst.y(), v(0), c(first + 1));
    b.dp4(dst.z(), v(0), c(first + 2));
    b.dp4(dst.w(), v(0), c(first + 3));
}

// dst.xyz = src rotated by the 3x3 of the transposed matrix at c(first).
void rotateVector(ShaderBuilder& b, const Operand& dst, const Operand& src, uint32_t first) {
    b.dp3(dst.x(), src, c(first));
    b.dp3(dst.y(), src, c(first + 1));
    b.dp3(dst.z(), src, c(first + 2));
}

// reg.xyz = normalise(reg.xyz); reg.w is used as scratch.
void normalise(ShaderBuilder& b, const Operand& reg) {
    b.dp3(reg.w(), reg, reg);
    b.rsq(reg.w(), reg.w());
    b.mul(reg.xyz(), reg, reg.w());
}

} // namespace

std::vector<uint32_t> surfaceVertexDeclaration() {
    return {declStream(0),
            declReg(0, DECLTYPE_FLOAT3),
            declReg(1, DECLTYPE_FLOAT3),
            declReg(2, DECLTYPE_D3DCOLOR),
            declReg(3, DECLTYPE_FLOAT2),
            DECL_END};
}

std::vector<uint32_t> bumpVertexDeclaration() {
    return {declStream(0),
            declReg(0, DECLTYPE_FLOAT3),
            declReg(1, DECLTYPE_FLOAT3),
            declReg(2, DECLTYPE_D3DCOLOR),
            declReg(3, DECLTYPE_FLOAT2),
            declReg(5, DECLTYPE_FLOAT3),
            declReg(6, DECLTYPE_FLOAT3),
            declReg(4, DECLTYPE_FLOAT3),
            declReg(7, DECLTYPE_FLOAT2),
            DECL_END};
}

std::vector<uint32_t> smFlatShaderProgram() {
    ShaderBuilder b = ShaderBuilder::vs(1, 0);
    transformPoint(b, r(0), C_WORLD_VIEW_PROJ);
    b.mov(oPos, r(0));
    b.mul(oT(0).x(), r(0).w(), c(C_DEPTH_SCALE).x());
    b.mov(oT(0).select("yzw"), c(C_DEPTH_SCALE));
    b.mov(oD(0), c(C_BLACK));
    return b.end();
}

std::vector<uint32_t> dot3dsVertexProgram() {
    const Operand tangentS = r(1), tangentT = r(2), normal = r(3);
    const Operand light = r(4), half = r(5), halfTangent = r(6);
    ShaderBuilder b = ShaderBuilder::vs(1, 0);
    transformPoint(b, oPos, C_WORLD_VIEW_PROJ);

    rotateVector(b, tangentS, v(5), C_WORLD);
    rotateVector(b, tangentT, v(6), C_WORLD);
    rotateVector(b, normal, v(1), C_WORLD);

    b.dp3(light.x(), tangentS, c(C_LIGHT_DIRECTION));
    b.dp3(light.y(), tangentT, c(C_LIGHT_DIRECTION));
    b.dp3(light.z(), normal, c(C_LIGHT_DIRECTION));
    normalise(b, light);
    b.mov(oT(2).xyz(), light);
    b.mov(oT(2).w(), c(C_ONE).w());

    // Only the first three rows: the world position, w left out.
    b.dp4(half.x(), v(0), c(C_WORLD));
    b.dp4(half.y(), v(0), c(C_WORLD + 1));
    b.dp4(half.z(), v(0), c(C_WORLD + 2));
    b.add(half.xyz(), c(C_CAMERA_POSITION), -half);
    normalise(b, half);
    b.add(half.xyz(), half, c(C_LIGHT_DIRECTION));
    normalise(b, half);

    b.dp3(halfTangent.x(), half, tangentS);
    b.dp3(halfTangent.y(), half, tangentT);
    b.dp3(halfTangent.z(), half, normal);
    b.mov(halfTangent.w(), c(C_ONE).w());
    b.mov(oT(3), halfTangent);

    b.mov(oT(0), v(3));
    b.mov(oT(1), v(3));
    b.mad(oD(0), halfTangent, c(C_HALF), c(C_HALF));
    return b.end();
}

std::vector<uint32_t> dot3dsPixelProgram() {
    ShaderBuilder b = ShaderBuilder::ps(1, 1);
    b.tex(t(0));      // colour
    b.tex(t(1));      // normal map, gloss in alpha
    b.texcoord(t(2)); // light vector
    b.texcoord(t(3)); // half vector
    b.dp3(r(0), t(2), bx2(t(1)));
    b.dp3(r(1), t(3), bx2(t(1)));
    b.mul(r(0), r(0), t(0));
    b.mul(r(1), r(1), r(1));
    b.mad(r(0), r(1), t(1).a(), r(0));
    return b.end();
}

std::vector<uint32_t> hwSoftShadowMapProgram() {
    ShaderBuilder b = ShaderBuilder::vs(1, 0);
    transformPoint(b, oPos, C_WORLD_VIEW_PROJ);
    b.mov(oD(0), c(C_AMBIENT));
    transformPoint(b, r(0), C_SHADOW_MATRIX);
    b.slt(oD(1), c(C_ZERO), r(0).w());
    b.mov(oT(0), r(0));
    b.mov(oT(1), r(0));
    b.mov(oT(2), v(3));
    return b.end();
}

std::vector<uint32_t> shadowReceiverPixelProgram(bool withColourTexture) {
    ShaderBuilder b = ShaderBuilder::ps(1, 1);
    b.tex(t(0)); // depth comparison
    b.tex(t(1)); // spot texture
    if (withColourTexture) b.tex(t(2));
    b.mul(r(0).rgb(), t(0), v(1));
    b.mad(r(0).rgb(), t(1), r(0), v(0));
    if (withColourTexture) b.mul(r(0).rgb(), r(0), t(2));
    b.mov(r(0).a(), v(0));
    return b.end();
}

} // namespace shader

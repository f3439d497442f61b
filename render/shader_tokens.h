#pragma once
// Direct3D 8 vertex and pixel programs written as readable code instead of
// hex arrays. A program is a stream of 32-bit tokens: a version token, then
// instructions (an opcode token followed by one destination and up to three
// source parameter tokens; versions 1.x carry no instruction length), then
// the end token 0x0000FFFF. Vertex declarations are token streams too.
//
// Portable: no Windows header. The constants mirror the Direct3D 8 values;
// shader_tokens_check.cpp holds each of them against the real ones in the
// Windows build.
//
//   ShaderBuilder b = ShaderBuilder::vs(1, 1);
//   b.dp4(oPos.x(), v(0), c(2));          // dp4 oPos.x, v0, c2
//   b.mul(oT(0).x(), r(0).w(), c(20).x()); // mul oT0.x, r0.w, c20.x
//   b.dp3(r(0), t(2), bx2(t(1)));          // dp3 r0, t2, t1_bx2
//   std::vector<uint32_t> tokens = b.end();

#include <cstdint>
#include <vector>

namespace shader {

// Instruction opcodes (low 16 bits of an instruction token).
enum Opcode : uint32_t {
    OP_NOP = 0,
    OP_MOV = 1,
    OP_ADD = 2,
    OP_SUB = 3,
    OP_MAD = 4,
    OP_MUL = 5,
    OP_RCP = 6,
    OP_RSQ = 7,
    OP_DP3 = 8,
    OP_DP4 = 9,
    OP_MIN = 10,
    OP_MAX = 11,
    OP_SLT = 12,
    OP_SGE = 13,
    OP_TEXCOORD = 64,
    OP_TEX = 66,
    OP_END = 0xFFFF,
};

constexpr uint32_t END_TOKEN = 0x0000FFFFu;
constexpr uint32_t PARAM_TOKEN = 0x80000000u; // bit 31 of every parameter token
constexpr uint32_t VS_VERSION_BASE = 0xFFFE0000u;
constexpr uint32_t PS_VERSION_BASE = 0xFFFF0000u;
constexpr uint32_t vsVersion(uint32_t major, uint32_t minor) {
    return VS_VERSION_BASE | (major << 8) | minor;
}
constexpr uint32_t psVersion(uint32_t major, uint32_t minor) {
    return PS_VERSION_BASE | (major << 8) | minor;
}

// Register types, bits 28..30 of a parameter token.
constexpr uint32_t REGTYPE_SHIFT = 28;
constexpr uint32_t REGTYPE_MASK = 0x7u << REGTYPE_SHIFT;
constexpr uint32_t REGNUM_MASK = 0x7FFu; // bits 0..10
enum RegType : uint32_t {
    REG_TEMP = 0u << REGTYPE_SHIFT,      // r
    REG_INPUT = 1u << REGTYPE_SHIFT,     // v: vertex input, or pixel colour
    REG_CONST = 2u << REGTYPE_SHIFT,     // c
    REG_TEXTURE = 3u << REGTYPE_SHIFT,   // t (pixel); a0 in vertex programs
    REG_RASTOUT = 4u << REGTYPE_SHIFT,   // oPos, oFog, oPts
    REG_ATTROUT = 5u << REGTYPE_SHIFT,   // oD0, oD1
    REG_TEXCRDOUT = 6u << REGTYPE_SHIFT, // oT0..oT7
};
enum RastOut : uint32_t { RASTOUT_POSITION = 0, RASTOUT_FOG = 1, RASTOUT_POINT_SIZE = 2 };

// Destination write mask, bits 16..19.
enum WriteMask : uint32_t {
    MASK_X = 0x1u << 16,
    MASK_Y = 0x2u << 16,
    MASK_Z = 0x4u << 16,
    MASK_W = 0x8u << 16,
    MASK_ALL = 0xFu << 16,
};

// Source swizzle, bits 16..23: two bits per output channel, x first.
constexpr uint32_t SWIZZLE_SHIFT = 16;
constexpr uint32_t SWIZZLE_MASK = 0xFFu << SWIZZLE_SHIFT;
constexpr uint32_t swizzle(uint32_t x, uint32_t y, uint32_t z, uint32_t w) {
    return (x | y << 2 | z << 4 | w << 6) << SWIZZLE_SHIFT;
}
constexpr uint32_t NO_SWIZZLE = swizzle(0, 1, 2, 3);
constexpr uint32_t REPLICATE_ALPHA = swizzle(3, 3, 3, 3);

// Source modifiers, bits 24..27.
constexpr uint32_t SRCMOD_SHIFT = 24;
constexpr uint32_t SRCMOD_MASK = 0xFu << SRCMOD_SHIFT;
enum SourceModifier : uint32_t {
    SRCMOD_NONE = 0u << SRCMOD_SHIFT,
    SRCMOD_NEG = 1u << SRCMOD_SHIFT,     // -x
    SRCMOD_BIAS = 2u << SRCMOD_SHIFT,    // x - 0.5
    SRCMOD_BIASNEG = 3u << SRCMOD_SHIFT, // -(x - 0.5)
    SRCMOD_SIGN = 4u << SRCMOD_SHIFT,    // 2x - 1 ("_bx2")
    SRCMOD_SIGNNEG = 5u << SRCMOD_SHIFT, // -(2x - 1)
    SRCMOD_COMP = 6u << SRCMOD_SHIFT,    // 1 - x
};

// Destination modifiers: saturate (bits 20..23) and, in pixel programs 1.x,
// a signed result shift (bits 24..27).
constexpr uint32_t DSTMOD_SATURATE = 1u << 20;
constexpr uint32_t DSTSHIFT_SHIFT = 24;
constexpr uint32_t DSTSHIFT_MASK = 0xFu << DSTSHIFT_SHIFT;
enum ResultShift : uint32_t {
    SHIFT_NONE = 0u,
    SHIFT_X2 = 1u << DSTSHIFT_SHIFT,
    SHIFT_X4 = 2u << DSTSHIFT_SHIFT,
    SHIFT_D2 = 0xFu << DSTSHIFT_SHIFT, // -1 in four bits
};

// Vertex declaration tokens: the token type sits in bits 29..31.
constexpr uint32_t DECL_TOKENTYPE_SHIFT = 29;
constexpr uint32_t DECL_TOKEN_STREAM = 1;
constexpr uint32_t DECL_TOKEN_STREAMDATA = 2;
constexpr uint32_t DECL_DATATYPE_SHIFT = 16;
constexpr uint32_t DECL_END = 0xFFFFFFFFu;
enum DeclType : uint32_t {
    DECLTYPE_FLOAT1 = 0,
    DECLTYPE_FLOAT2 = 1,
    DECLTYPE_FLOAT3 = 2,
    DECLTYPE_FLOAT4 = 3,
    DECLTYPE_D3DCOLOR = 4,
};
constexpr uint32_t declStream(uint32_t stream) {
    return DECL_TOKEN_STREAM << DECL_TOKENTYPE_SHIFT | stream;
}
constexpr uint32_t declReg(uint32_t reg, DeclType type) {
    return DECL_TOKEN_STREAMDATA << DECL_TOKENTYPE_SHIFT | uint32_t(type) << DECL_DATATYPE_SHIFT |
           reg;
}

// A register with a component selection and modifiers. Used as a
// destination, the components are the write mask (in x, y, z, w order); used
// as a source, they are the swizzle, the last one repeated
// (r0.w = r0.wwww, r0.xyz = r0.xyzz), as the assembler reads them.
class Operand {
public:
    constexpr Operand(RegType type, uint32_t number) : reg_(uint32_t(type) | number) {}

    Operand x() const { return select("x"); }
    Operand y() const { return select("y"); }
    Operand z() const { return select("z"); }
    Operand w() const { return select("w"); }
    Operand xyz() const { return select("xyz"); }
    Operand rgb() const { return select("rgb"); }
    Operand a() const { return select("a"); } // alpha replicate as a source
    // One to four of "xyzw" or "rgba", e.g. "yzw", "wzyx".
    Operand select(const char* components) const;

    uint32_t destinationToken() const;
    uint32_t sourceToken() const;

    uint32_t reg() const { return reg_; }
    uint32_t sourceModifier() const { return srcMod_; }

private:
    friend Operand operator-(const Operand&);
    friend Operand bias(const Operand&);
    friend Operand bx2(const Operand&);
    friend Operand comp(const Operand&);
    friend Operand sat(const Operand&);
    friend Operand x2(const Operand&);
    friend Operand x4(const Operand&);
    friend Operand d2(const Operand&);

    uint32_t reg_;
    uint8_t components_[4] = {0, 1, 2, 3};
    uint8_t count_ = 0; // 0: all four, no selection
    uint32_t srcMod_ = SRCMOD_NONE;
    uint32_t dstMod_ = 0; // saturate and result shift bits
};

Operand operator-(const Operand& src); // negate (of bias and bx2 too)
Operand bias(const Operand& src);      // x - 0.5
Operand bx2(const Operand& src);       // 2x - 1
Operand comp(const Operand& src);      // 1 - x
Operand sat(const Operand& dst);       // result clamped to 0..1
Operand x2(const Operand& dst);        // pixel programs: result x 2
Operand x4(const Operand& dst);        // pixel programs: result x 4
Operand d2(const Operand& dst);        // pixel programs: result / 2

inline Operand r(uint32_t n) {
    return Operand(REG_TEMP, n);
}
inline Operand v(uint32_t n) {
    return Operand(REG_INPUT, n);
}
inline Operand c(uint32_t n) {
    return Operand(REG_CONST, n);
}
inline Operand t(uint32_t n) {
    return Operand(REG_TEXTURE, n);
}
inline Operand oD(uint32_t n) {
    return Operand(REG_ATTROUT, n);
}
inline Operand oT(uint32_t n) {
    return Operand(REG_TEXCRDOUT, n);
}
inline constexpr Operand oPos{REG_RASTOUT, RASTOUT_POSITION};

// Appends instructions to a program; end() closes and returns it.
class ShaderBuilder {
public:
    static ShaderBuilder vs(uint32_t major, uint32_t minor);
    static ShaderBuilder ps(uint32_t major, uint32_t minor);

    ShaderBuilder& mov(const Operand& d, const Operand& s);
    ShaderBuilder& add(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& sub(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& mul(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& mad(const Operand& d, const Operand& s0, const Operand& s1, const Operand& s2);
    ShaderBuilder& rcp(const Operand& d, const Operand& s);
    ShaderBuilder& rsq(const Operand& d, const Operand& s);
    ShaderBuilder& dp3(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& dp4(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& min(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& max(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& slt(const Operand& d, const Operand& s0, const Operand& s1);
    ShaderBuilder& sge(const Operand& d, const Operand& s0, const Operand& s1);
    // Pixel programs: sample texture stage n into t(n), or take its
    // coordinates as a colour (clamped to 0..1, w = 1).
    ShaderBuilder& tex(const Operand& d);
    ShaderBuilder& texcoord(const Operand& d);

    std::vector<uint32_t> end();

private:
    explicit ShaderBuilder(uint32_t version) { tokens_.push_back(version); }
    ShaderBuilder& emit(Opcode op, const Operand& d, const Operand* sources, int count);

    std::vector<uint32_t> tokens_;
    bool ended_ = false;
};

} // namespace shader

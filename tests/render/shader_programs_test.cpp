// The surface programs read as token streams: the right version, one end
// token, only the input registers their vertex format declares, only the
// constant registers of the shared layout that each one is meant to read,
// every output written in full, no temporary component read before it is
// written, and pixel programs within ps.1.1's registers and limits.

#include "render/shader_programs.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

using Tokens = std::vector<uint32_t>;
using Set = std::set<uint32_t>;

enum Type : uint32_t {
    TEMP = 0,
    INPUT = 1,
    CONST = 2,
    TEXTURE = 3,
    RASTOUT = 4,
    ATTROUT = 5,
    TEXCRDOUT = 6
};

struct Param {
    uint32_t type, number, mask, swizzle[4], modifier;
};
struct Instruction {
    uint32_t opcode;
    std::vector<Param> params; // destination first
};

// Parameter counts of the version 1.x opcodes, from the instruction reference.
const std::map<uint32_t, int> PARAMS = {{1, 2},  {2, 3},  {3, 3},  {4, 4},  {5, 3},
                                        {6, 2},  {7, 2},  {8, 3},  {9, 3},  {10, 3},
                                        {11, 3}, {12, 3}, {13, 3}, {64, 1}, {66, 1}};

Param param(uint32_t token) {
    Param p;
    p.type = (token >> 28) & 7;
    p.number = token & 0x7FF;
    p.mask = (token >> 16) & 0xF;
    for (int i = 0; i < 4; ++i) p.swizzle[i] = (token >> (16 + 2 * i)) & 3;
    p.modifier = (token >> 24) & 0xF;
    return p;
}

// Splits a program into instructions; false when a token is out of place.
bool decode(const Tokens& program, uint32_t version, std::vector<Instruction>* out) {
    if (program.size() < 2 || program[0] != version || program.back() != 0x0000FFFF) return false;
    size_t i = 1;
    while (i < program.size() - 1) {
        const auto op = PARAMS.find(program[i]);
        if (op == PARAMS.end() || i + op->second >= program.size()) return false;
        Instruction ins{program[i], {}};
        for (int k = 1; k <= op->second; ++k) {
            if (!(program[i + k] & 0x80000000u)) return false;
            ins.params.push_back(param(program[i + k]));
        }
        out->push_back(ins);
        i += 1 + op->second;
    }
    return i == program.size() - 1;
}

// The source components an instruction reads, by lane of its swizzle.
uint32_t lanesRead(const Instruction& ins) {
    switch (ins.opcode) {
    case 8:
        return 0x7; // dp3
    case 9:
        return 0xF; // dp4
    case 6:         // rcp and rsq take one replicated component
    case 7:
        return 0x8;
    default:
        return ins.params[0].mask; // per component
    }
}

struct Usage {
    Set inputs, constants, temps, textures;
    std::map<uint32_t, uint32_t> outputs; // type << 8 | number -> components written
    int textureInstructions = 0, arithmetic = 0;
    bool textureAfterArithmetic = false, readBeforeWrite = false, readsOutput = false,
         writesTexture = false;
};

Usage analyse(const std::vector<Instruction>& program, bool pixel) {
    Usage u;
    std::map<uint32_t, uint32_t> written; // temp or texture register -> components
    for (const Instruction& ins : program) {
        const Param& d = ins.params[0];
        if (ins.opcode == 64 || ins.opcode == 66) {
            ++u.textureInstructions;
            if (u.arithmetic) u.textureAfterArithmetic = true;
            u.textures.insert(d.number);
            written[TEXTURE << 8 | d.number] = 0xF;
            continue;
        }
        ++u.arithmetic;
        const uint32_t lanes = lanesRead(ins);
        for (size_t k = 1; k < ins.params.size(); ++k) {
            const Param& s = ins.params[k];
            if (s.type == INPUT) u.inputs.insert(s.number);
            if (s.type == CONST) u.constants.insert(s.number);
            if (s.type >= RASTOUT) u.readsOutput = true;
            if (s.type == TEMP || (pixel && s.type == TEXTURE)) {
                for (int lane = 0; lane < 4; ++lane)
                    if ((lanes >> lane & 1) &&
                        !(written[s.type << 8 | s.number] >> s.swizzle[lane] & 1))
                        u.readBeforeWrite = true;
            }
        }
        if (d.type == TEMP) {
            u.temps.insert(d.number);
            written[TEMP << 8 | d.number] |= d.mask;
        } else if (pixel && d.type == TEXTURE) {
            u.writesTexture = true;
        } else {
            u.outputs[d.type << 8 | d.number] |= d.mask;
        }
    }
    return u;
}

// The vertex registers a declaration provides.
Set declared(const Tokens& declaration) {
    Set regs;
    for (uint32_t token : declaration)
        if (token >> 29 == 2) regs.insert(token & 0x1F);
    return regs;
}

Set range(uint32_t first, uint32_t count) {
    Set s;
    for (uint32_t i = 0; i < count; ++i) s.insert(first + i);
    return s;
}

Set unite(Set a, const Set& b) {
    a.insert(b.begin(), b.end());
    return a;
}

uint32_t out(uint32_t type, uint32_t number) {
    return type << 8 | number;
}

TEST(ShaderPrograms, DeclarationsFollowTheVertexFormats) {
    EXPECT_EQ((Tokens{0x20000000, 0x40020000, 0x40020001, 0x40040002, 0x40010003, 0xFFFFFFFF}),
              shader::surfaceVertexDeclaration());
    EXPECT_EQ((Tokens{0x20000000, 0x40020000, 0x40020001, 0x40040002, 0x40010003, 0x40020005,
                      0x40020006, 0x40020004, 0x40010007, 0xFFFFFFFF}),
              shader::bumpVertexDeclaration());
}

struct VertexCase {
    const char* name;
    Tokens program;
    Tokens declaration;
    Set constants;
    std::map<uint32_t, uint32_t> outputs;
};

TEST(ShaderPrograms, VertexProgramsReadTheirFormatAndConstantsAndWriteWholeOutputs) {
    const Set wvp = range(2, 4);
    const VertexCase cases[] = {
        {"SMFlatShader",
         shader::smFlatShaderProgram(),
         shader::surfaceVertexDeclaration(),
         unite(wvp, {20, 70}),
         {{out(RASTOUT, 0), 0xF}, {out(TEXCRDOUT, 0), 0xF}, {out(ATTROUT, 0), 0xF}}},
        {"dot3_ds",
         shader::dot3dsVertexProgram(),
         shader::bumpVertexDeclaration(),
         unite(unite(wvp, range(13, 3)), {1, 18, 21, 34}),
         {{out(RASTOUT, 0), 0xF},
          {out(TEXCRDOUT, 0), 0xF},
          {out(TEXCRDOUT, 1), 0xF},
          {out(TEXCRDOUT, 2), 0xF},
          {out(TEXCRDOUT, 3), 0xF},
          {out(ATTROUT, 0), 0xF}}},
        {"HWSoftShadowMap",
         shader::hwSoftShadowMapProgram(),
         shader::surfaceVertexDeclaration(),
         unite(unite(wvp, range(26, 4)), {0, 30}),
         {{out(RASTOUT, 0), 0xF},
          {out(ATTROUT, 0), 0xF},
          {out(ATTROUT, 1), 0xF},
          {out(TEXCRDOUT, 0), 0xF},
          {out(TEXCRDOUT, 1), 0xF},
          {out(TEXCRDOUT, 2), 0xF}}},
    };
    for (const VertexCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Instruction> program;
        ASSERT_TRUE(
            decode(c.program, 0xFFFE0100, &program)); // vs.1.0: every vertex shader device runs it
        const Usage u = analyse(program, false);
        const Set provided = declared(c.declaration);
        for (uint32_t input : u.inputs) EXPECT_TRUE(provided.count(input)) << "v" << input;
        EXPECT_TRUE(u.inputs.count(0));
        EXPECT_EQ(c.constants, u.constants);
        EXPECT_EQ(c.outputs, u.outputs);
        EXPECT_FALSE(u.readBeforeWrite);
        EXPECT_FALSE(u.readsOutput);
        EXPECT_EQ(0, u.textureInstructions);
        ASSERT_FALSE(u.temps.empty());
        EXPECT_LT(*u.temps.rbegin(), 12u); // vs.1.0 has r0..r11
        EXPECT_LE(u.arithmetic, 128);
    }
    // The bump program reads the normal, texcoord 0 and both tangents.
    std::vector<Instruction> dot3;
    ASSERT_TRUE(decode(shader::dot3dsVertexProgram(), 0xFFFE0100, &dot3));
    EXPECT_EQ((Set{0, 1, 3, 5, 6}), analyse(dot3, false).inputs);
}

struct PixelCase {
    const char* name;
    Tokens program;
    Set textures;
    Set inputs;
};

TEST(ShaderPrograms, PixelProgramsStayWithinPs11) {
    const PixelCase cases[] = {
        {"dot3_ds", shader::dot3dsPixelProgram(), {0, 1, 2, 3}, {}},
        {"receiver with colour", shader::shadowReceiverPixelProgram(true), {0, 1, 2}, {0, 1}},
        {"receiver without colour", shader::shadowReceiverPixelProgram(false), {0, 1}, {0, 1}},
    };
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Instruction> program;
        ASSERT_TRUE(decode(c.program, 0xFFFF0101, &program));
        const Usage u = analyse(program, true);
        EXPECT_EQ(c.textures, u.textures);
        EXPECT_EQ(c.inputs, u.inputs);
        EXPECT_TRUE(u.constants.empty());
        EXPECT_FALSE(u.textureAfterArithmetic);
        EXPECT_FALSE(u.readBeforeWrite); // includes t registers never sampled
        EXPECT_FALSE(u.writesTexture);
        EXPECT_TRUE(u.outputs.empty());
        EXPECT_LE(*u.temps.rbegin(), 1u); // r0 and r1 only
        EXPECT_LE(u.arithmetic, 8);
        EXPECT_LE(u.textureInstructions, 4);
        // The last instruction writes the result, r0.
        EXPECT_EQ(TEMP, program.back().params[0].type);
        EXPECT_EQ(0u, program.back().params[0].number);
    }
}

} // namespace

#include "shader_tokens.h"

#include <cassert>

namespace shader {

namespace {

int componentIndex(char ch) {
    switch (ch) {
    case 'x':
    case 'r':
        return 0;
    case 'y':
    case 'g':
        return 1;
    case 'z':
    case 'b':
        return 2;
    case 'w':
    case 'a':
        return 3;
    default:
        return -1;
    }
}

} // namespace

Operand Operand::select(const char* components) const {
    Operand o = *this;
    o.count_ = 0;
    for (const char* p = components; *p; ++p) {
        const int index = componentIndex(*p);
        assert(index >= 0 && o.count_ < 4 && "a selection is one to four of xyzw or rgba");
        if (index < 0 || o.count_ == 4) break;
        o.components_[o.count_++] = uint8_t(index);
    }
    assert(o.count_ > 0);
    return o;
}

uint32_t Operand::destinationToken() const {
    uint32_t mask = MASK_ALL;
    if (count_ > 0) {
        mask = 0;
        for (int i = 0; i < count_; ++i) {
            // A write mask names each component once, in x, y, z, w order.
            assert(i == 0 || components_[i] > components_[i - 1]);
            mask |= MASK_X << components_[i];
        }
    }
    assert(srcMod_ == SRCMOD_NONE && "source modifier on a destination");
    return PARAM_TOKEN | reg_ | mask | dstMod_;
}

uint32_t Operand::sourceToken() const {
    uint32_t bits = NO_SWIZZLE;
    if (count_ > 0) {
        uint32_t lanes[4];
        for (int i = 0; i < 4; ++i) lanes[i] = components_[i < count_ ? i : count_ - 1];
        bits = swizzle(lanes[0], lanes[1], lanes[2], lanes[3]);
    }
    assert(dstMod_ == 0 && "destination modifier on a source");
    return PARAM_TOKEN | reg_ | bits | srcMod_;
}

Operand operator-(const Operand& src) {
    Operand o = src;
    switch (src.srcMod_) {
    case SRCMOD_NONE:
        o.srcMod_ = SRCMOD_NEG;
        break;
    case SRCMOD_NEG:
        o.srcMod_ = SRCMOD_NONE;
        break;
    case SRCMOD_BIAS:
        o.srcMod_ = SRCMOD_BIASNEG;
        break;
    case SRCMOD_BIASNEG:
        o.srcMod_ = SRCMOD_BIAS;
        break;
    case SRCMOD_SIGN:
        o.srcMod_ = SRCMOD_SIGNNEG;
        break;
    case SRCMOD_SIGNNEG:
        o.srcMod_ = SRCMOD_SIGN;
        break;
    default:
        assert(!"the complement has no negated form");
        break;
    }
    return o;
}

Operand bias(const Operand& src) {
    assert(src.srcMod_ == SRCMOD_NONE);
    Operand o = src;
    o.srcMod_ = SRCMOD_BIAS;
    return o;
}

Operand bx2(const Operand& src) {
    assert(src.srcMod_ == SRCMOD_NONE);
    Operand o = src;
    o.srcMod_ = SRCMOD_SIGN;
    return o;
}

Operand comp(const Operand& src) {
    assert(src.srcMod_ == SRCMOD_NONE);
    Operand o = src;
    o.srcMod_ = SRCMOD_COMP;
    return o;
}

Operand sat(const Operand& dst) {
    Operand o = dst;
    o.dstMod_ |= DSTMOD_SATURATE;
    return o;
}

Operand x2(const Operand& dst) {
    assert((dst.dstMod_ & DSTSHIFT_MASK) == 0 && "one result shift per instruction");
    Operand o = dst;
    o.dstMod_ |= SHIFT_X2;
    return o;
}

Operand x4(const Operand& dst) {
    assert((dst.dstMod_ & DSTSHIFT_MASK) == 0 && "one result shift per instruction");
    Operand o = dst;
    o.dstMod_ |= SHIFT_X4;
    return o;
}

Operand d2(const Operand& dst) {
    assert((dst.dstMod_ & DSTSHIFT_MASK) == 0 && "one result shift per instruction");
    Operand o = dst;
    o.dstMod_ |= SHIFT_D2;
    return o;
}

ShaderBuilder ShaderBuilder::vs(uint32_t major, uint32_t minor) {
    return ShaderBuilder(vsVersion(major, minor));
}

ShaderBuilder ShaderBuilder::ps(uint32_t major, uint32_t minor) {
    return ShaderBuilder(psVersion(major, minor));
}

ShaderBuilder& ShaderBuilder::emit(Opcode op, const Operand& d, const Operand* sources, int count) {
    assert(!ended_ && "instruction after end()");
    tokens_.push_back(uint32_t(op));
    tokens_.push_back(d.destinationToken());
    for (int i = 0; i < count; ++i) tokens_.push_back(sources[i].sourceToken());
    return *this;
}

ShaderBuilder& ShaderBuilder::mov(const Operand& d, const Operand& s) {
    return emit(OP_MOV, d, &s, 1);
}

ShaderBuilder& ShaderBuilder::add(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_ADD, d, s, 2);
}

ShaderBuilder& ShaderBuilder::sub(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_SUB, d, s, 2);
}

ShaderBuilder& ShaderBuilder::mul(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_MUL, d, s, 2);
}

ShaderBuilder& ShaderBuilder::mad(const Operand& d, const Operand& s0, const Operand& s1,
                                  const Operand& s2) {
    const Operand s[] = {s0, s1, s2};
    return emit(OP_MAD, d, s, 3);
}

ShaderBuilder& ShaderBuilder::rcp(const Operand& d, const Operand& s) {
    return emit(OP_RCP, d, &s, 1);
}

ShaderBuilder& ShaderBuilder::rsq(const Operand& d, const Operand& s) {
    return emit(OP_RSQ, d, &s, 1);
}

ShaderBuilder& ShaderBuilder::dp3(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_DP3, d, s, 2);
}

ShaderBuilder& ShaderBuilder::dp4(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_DP4, d, s, 2);
}

ShaderBuilder& ShaderBuilder::min(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_MIN, d, s, 2);
}

ShaderBuilder& ShaderBuilder::max(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_MAX, d, s, 2);
}

ShaderBuilder& ShaderBuilder::slt(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_SLT, d, s, 2);
}

ShaderBuilder& ShaderBuilder::sge(const Operand& d, const Operand& s0, const Operand& s1) {
    const Operand s[] = {s0, s1};
    return emit(OP_SGE, d, s, 2);
}

ShaderBuilder& ShaderBuilder::tex(const Operand& d) {
    assert((d.reg() & REGTYPE_MASK) == REG_TEXTURE);
    return emit(OP_TEX, d, nullptr, 0);
}

ShaderBuilder& ShaderBuilder::texcoord(const Operand& d) {
    assert((d.reg() & REGTYPE_MASK) == REG_TEXTURE);
    return emit(OP_TEXCOORD, d, nullptr, 0);
}

std::vector<uint32_t> ShaderBuilder::end() {
    assert(!ended_ && "end() called twice");
    ended_ = true;
    tokens_.push_back(END_TOKEN);
    return tokens_;
}

} // namespace shader

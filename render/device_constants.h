#pragma once
// The renderer's small Direct3D conveniences: vertex-program constants from
// the math types, matrices and floats in the forms the device takes, and
// the fixed constants every render writes.

#include "base/math3d.h"
#include "shader_programs.h"

#include <windows.h>
#include <d3d8.h>

#include <cstring>

static_assert(sizeof(D3DMATRIX) == sizeof(Matrix4), "one matrix layout");

inline const D3DMATRIX* asD3D(const Matrix4& m) {
    return reinterpret_cast<const D3DMATRIX*>(&m);
}

// A float as the DWORD render states such as FOGSTART take it.
inline DWORD floatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

inline void setConstant(IDirect3DDevice8* d, int reg, const Vec4& v) {
    d->SetVertexShaderConstant(DWORD(reg), &v, 1);
}

inline void setConstant(IDirect3DDevice8* d, int reg, float x, float y, float z, float w) {
    setConstant(d, reg, Vec4{x, y, z, w});
}

// Four registers holding the transposed matrix (programs use dp4 per row).
inline void setMatrixConstant(IDirect3DDevice8* d, int reg, const Matrix4& m) {
    const Matrix4 t = transposed(m);
    d->SetVertexShaderConstant(DWORD(reg), t.data(), 4);
}

// c0 = 0, c1 = 1, c18 = 0.5 and c70 = (0, 0, 0, 1), which every program reads.
inline void writeFixedConstants(IDirect3DDevice8* d) {
    setConstant(d, shader::C_ONE, 1, 1, 1, 1);
    setConstant(d, shader::C_ZERO, 0, 0, 0, 0);
    setConstant(d, shader::C_HALF, 0.5f, 0.5f, 0.5f, 0.5f);
    setConstant(d, shader::C_BLACK, 0, 0, 0, 1);
}

#pragma once
// 4 x 4 float matrices in row-vector convention (a point p maps to p * M,
// translation in the fourth row) with Direct3D's left-handed rotations.
// Products are written out for the affine case: the fourth column is always
// (0, 0, 0, 1), so only the 3 x 4 part is computed.

struct LWMatrix {
    float m[4][4];

    static LWMatrix identity();
    static LWMatrix translation(float x, float y, float z);
    static LWMatrix scaling(float x, float y, float z);
    static LWMatrix rotationX(float a);
    static LWMatrix rotationY(float a);
    static LWMatrix rotationZ(float a);
};

// a * b for affine matrices (fourth columns (0, 0, 0, 1)).
LWMatrix affineMultiply(const LWMatrix& a, const LWMatrix& b);
// The inverse of an affine matrix; a singular one gives the identity.
LWMatrix affineInverse(const LWMatrix& a);
// p * M for the point (x, y, z, 1).
void transformPoint(const LWMatrix& m, const float p[3], float out[3]);

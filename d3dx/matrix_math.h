#pragma once
// Matrix helpers behind D3DXMatrixLookAtLH and D3DXMatrixMultiply, on plain
// row-major 4x4 float arrays (row-vector convention, translation in the
// fourth row), free of Windows headers.

// out = a * b. `out` may be `a` or `b`.
void multiplyMatrix(float out[16], const float a[16], const float b[16]);

// Left-handed view matrix looking from `eye` toward `at`, `up` roughly up:
// rows hold the axes x = normalize(up x z), y = z x x, z = normalize(at - eye)
// as columns, and the translation -(x.eye, y.eye, z.eye).
void lookAtLH(float out[16], const float eye[3], const float at[3], const float up[3]);

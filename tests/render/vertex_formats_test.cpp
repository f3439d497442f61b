// Vertex formats of the surface programs and the bump program's tangent space.

#include "base/message_box.h"
#include "render/vertex_formats.h"

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

using namespace bump_format;

namespace {

GenericVertex vertex(float x, float y, float u, float v, float nz) {
    GenericVertex g = {};
    g.position[0] = x;
    g.position[1] = y;
    g.normal[2] = nz;
    g.diffuse = 0x80FF2040u;
    g.texcoord[0][0] = u;
    g.texcoord[0][1] = v;
    g.texcoord[0][2] = 0.5f;
    g.texcoord[1][0] = 7;
    g.texcoord[1][1] = 8;
    g.texcoord[1][2] = 9;
    return g;
}

// A unit quad facing -Z (or +Z), u along x and v along y.
std::vector<float> bumpQuad(float nz) {
    const GenericVertex corners[4] = {vertex(0, 0, 0, 0, nz), vertex(1, 0, 1, 0, nz),
                                      vertex(1, 1, 1, 1, nz), vertex(0, 1, 0, 1, nz)};
    std::vector<float> words(4 * WORDS, -99.0f);
    for (int i = 0; i < 4; ++i) convertVertex(2, corners[i], &words[size_t(i) * WORDS]);
    return words;
}

} // namespace

TEST(VertexFormats, EachProgramWritesItsLayout) {
    const GenericVertex g = vertex(1, 2, 0.25f, 0.75f, -1);
    float fixed[12];
    convertVertex(0, g, fixed);
    EXPECT_EQ(1.0f, fixed[0]);
    EXPECT_EQ(-1.0f, fixed[5]);
    EXPECT_EQ(0.25f, fixed[6]);
    EXPECT_EQ(0.5f, fixed[8]); // w of channel 0
    EXPECT_EQ(9.0f, fixed[11]);
    EXPECT_EQ(48, VERTEX_STRIDE[0]);

    float flat[9];
    convertVertex(1, g, flat);
    uint32_t colour;
    std::memcpy(&colour, &flat[6], 4);
    EXPECT_EQ(0x80FF2040u, colour);
    EXPECT_EQ(0.75f, flat[8]);
    EXPECT_EQ(36, VERTEX_STRIDE[1]);
    EXPECT_EQ(36, VERTEX_STRIDE[3]);

    float bump[WORDS];
    convertVertex(2, g, bump);
    EXPECT_EQ(0.25f, bump[TEXCOORD0]);
    for (int k = TANGENT_S; k < TEXCOORD1; ++k) EXPECT_EQ(0.0f, bump[k]);
    EXPECT_EQ(7.0f, bump[TEXCOORD1]);
    EXPECT_EQ(8.0f, bump[TEXCOORD1 + 1]);
    EXPECT_EQ(80, VERTEX_STRIDE[2]);
    EXPECT_EQ(80, WORDS * 4);
}

TEST(TangentSpace, AQuadGetsItsTextureAxesAndANormalFacingCross) {
    for (float nz : {-1.0f, 1.0f}) {
        std::vector<float> v = bumpQuad(nz);
        const uint32_t indices[] = {0, 1, 2, 0, 2, 3};
        EXPECT_TRUE(prepareBumpVertices(v.data(), indices, 4, 6));
        for (int i = 0; i < 4; ++i) {
            const float* w = &v[size_t(i) * WORDS];
            EXPECT_NEAR(1.0f, w[TANGENT_S], 1e-6) << i;
            EXPECT_NEAR(0.0f, w[TANGENT_S + 1], 1e-6) << i;
            EXPECT_NEAR(1.0f, w[TANGENT_T + 1], 1e-6) << i;
            EXPECT_NEAR(0.0f, w[TANGENT_T], 1e-6) << i;
            // S x T = +Z, turned to the normal's side.
            EXPECT_NEAR(nz, w[S_CROSS_T + 2], 1e-6) << i;
        }
    }
}

TEST(TangentSpace, StretchedCoordinatesAndBadIndices) {
    // u runs along y, v along -x: the tangents follow the coordinates.
    const GenericVertex corners[3] = {vertex(0, 0, 0, 0, -1), vertex(0, 2, 1, 0, -1),
                                      vertex(-4, 0, 0, 1, -1)};
    std::vector<float> v(3 * WORDS);
    for (int i = 0; i < 3; ++i) convertVertex(2, corners[i], &v[size_t(i) * WORDS]);
    const uint32_t triangle[] = {0, 1, 2};
    prepareBumpVertices(v.data(), triangle, 3, 3);
    EXPECT_NEAR(1.0f, v[TANGENT_S + 1], 1e-6);
    EXPECT_NEAR(-1.0f, v[TANGENT_T], 1e-6);

    MessageRecorder messages;
    std::vector<float> quad = bumpQuad(-1);
    const uint32_t bad[] = {0, 1, 9, 0, 2, 3, 0, 7, 1};
    EXPECT_TRUE(prepareBumpVertices(quad.data(), bad, 4, 9));
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("index[i] < numVertices && index[i+1] < numVertices && index[i+2] < numVertices",
              messages.messages()[0].text);
    // The good triangle still gave its vertices their tangents.
    EXPECT_NEAR(1.0f, quad[size_t(3) * WORDS + TANGENT_S], 1e-6);
}

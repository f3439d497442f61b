// The soundtrack's assembly (each tune from its start, cut at the next,
// the last faded out to the end) and the WAV files make_music writes.

#include "demo/generators/tracker_render.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace {

using namespace tracker;

Pcm constant(long frames, int16_t left, int16_t right) {
    Pcm p;
    p.rate = 1000;
    for (long i = 0; i < frames; ++i) {
        p.samples.push_back(left);
        p.samples.push_back(right);
    }
    return p;
}

TEST(Soundtrack, PlacesEachTuneAtItsStartCutsItAtTheNextAndFadesTheEnd) {
    const Pcm first = constant(100, 1000, -1000); // runs past the second's start
    const Pcm second = constant(30, 2000, -2000); // ends before the third starts
    const Pcm third = constant(500, 3000, -3000); // runs past the end
    const Pcm out = assemble({{&first, 0}, {&second, 50}, {&third, 120}}, 200, 40);
    EXPECT_EQ(1000, out.rate);
    ASSERT_EQ(200, out.frames());
    auto left = [&](long f) { return out.samples[size_t(2 * f)]; };
    auto right = [&](long f) { return out.samples[size_t(2 * f + 1)]; };
    for (long f = 0; f < 50; ++f) ASSERT_EQ(1000, left(f)) << f;
    for (long f = 50; f < 80; ++f) ASSERT_EQ(2000, left(f)) << f;
    for (long f = 80; f < 120; ++f) ASSERT_EQ(0, left(f)) << f; // silence between
    for (long f = 120; f < 160; ++f) ASSERT_EQ(3000, left(f)) << f;
    EXPECT_EQ(-3000, right(159));
    // The last 40 frames fall linearly to silence.
    EXPECT_EQ(3000, left(160));
    EXPECT_EQ(1500, left(180));
    EXPECT_EQ(-1500, right(180));
    EXPECT_EQ(75, left(199));
    for (long f = 161; f < 200; ++f) EXPECT_LT(left(f), left(f - 1)) << f;
}

TEST(Soundtrack, WritesAPcmWaveFile) {
    TempDir dir;
    Pcm pcm = constant(3, 1, -2);
    pcm.rate = 44100;
    const std::string path = dir.path("out.wav").string();
    ASSERT_TRUE(writeWav(path, pcm));
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> b{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
    ASSERT_EQ(44u + 12u, b.size());
    auto le32 = [&](size_t at) {
        return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
               uint32_t(b[at + 3]) << 24;
    };
    auto le16 = [&](size_t at) { return b[at] | b[at + 1] << 8; };
    EXPECT_EQ(0, std::memcmp(b.data(), "RIFF", 4));
    EXPECT_EQ(36u + 12u, le32(4));
    EXPECT_EQ(0, std::memcmp(&b[8], "WAVEfmt ", 8));
    EXPECT_EQ(1, le16(20)); // PCM
    EXPECT_EQ(2, le16(22)); // stereo
    EXPECT_EQ(44100u, le32(24));
    EXPECT_EQ(44100u * 4, le32(28));
    EXPECT_EQ(4, le16(32));
    EXPECT_EQ(16, le16(34));
    EXPECT_EQ(0, std::memcmp(&b[36], "data", 4));
    EXPECT_EQ(12u, le32(40));
    EXPECT_EQ(1, le16(44));
    EXPECT_EQ(0xFFFE, le16(46)); // -2
}

TEST(Soundtrack, RefusesToRenderWhatLibxmpCannotLoad) {
    Pcm pcm;
    EXPECT_FALSE(render({'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'd'}, 44100, pcm));
    EXPECT_FALSE(render({}, 44100, pcm));
}

} // namespace

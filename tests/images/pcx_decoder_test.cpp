#include "picture_test_util.h"

#include "base/message_box.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> pcxHeader(int width, int height, int bytesPerLine) {
    std::vector<uint8_t> b(128, 0);
    b[0] = 10;
    b[1] = 5;
    b[2] = 1;
    b[3] = 8;
    put16(b, 8, uint32_t(width - 1));
    put16(b, 10, uint32_t(height - 1));
    b[65] = 1;
    put16(b, 66, uint32_t(bytesPerLine));
    return b;
}

void appendPalette(std::vector<uint8_t>& b) {
    b.push_back(12);
    for (int i = 0; i < 256; ++i) {
        b.push_back(uint8_t(i));
        b.push_back(uint8_t(255 - i));
        b.push_back(uint8_t(i / 2));
    }
}

uint32_t paletteColor(uint32_t i) {
    return 0xFF000000u | i << 16 | (255 - i) << 8 | i / 2;
}

TEST(PcxDecoder, RealFilesLoadBottomRowFirst) {
    MessageRecorder messages;
    Picture big, planet, sail, sailBmp;
    ASSERT_TRUE(loadTestPicture("pcx/allegro_allegro.pcx", 0, big));
    EXPECT_EQ(320, big.width);
    EXPECT_EQ(200, big.height);
    ASSERT_TRUE(loadTestPicture("pcx/allegro_planet.pcx", 0, planet));
    EXPECT_EQ(49, planet.width);
    EXPECT_EQ(49, planet.height);
    ASSERT_TRUE(loadTestPicture("pcx/sail_bpp8-indexed.pcx", 0, sail));
    // The same picture as the 8-bit bitmap of the same suite, which with
    // flip 1 is stored bottom row first too.
    ASSERT_TRUE(loadTestPicture("bmp/sail_bpp8-indexed.bmp", 1, sailBmp));
    ASSERT_EQ(sail.width, sailBmp.width);
    int differing = 0;
    for (int i = 0; i < sail.width * sail.height; ++i)
        differing += sail.pixels[size_t(i)] != sailBmp.pixels[size_t(i)];
    EXPECT_EQ(0, differing);
    EXPECT_EQ(0u, messages.count());
}

TEST(PcxDecoder, RunsPaletteAndOddWidth) {
    MessageRecorder messages;
    // 3 x 2, 4 bytes a line (one pad index): row 0 = 7 7 7 pad, row 1 = 1 2 200 pad.
    auto b = pcxHeader(3, 2, 4);
    b.insert(b.end(), {0xC3, 7, 0, 1, 2, 0xC1, 200, 0});
    appendPalette(b);
    Picture p;
    ASSERT_TRUE(loadBytes("x.pcx", b, 0, p));
    ASSERT_EQ(3, p.width);
    ASSERT_EQ(2, p.height);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(paletteColor(7), at(p, x, 1));
    EXPECT_EQ(paletteColor(1), at(p, 0, 0));
    EXPECT_EQ(paletteColor(2), at(p, 1, 0));
    EXPECT_EQ(paletteColor(200), at(p, 2, 0));
    EXPECT_EQ(0u, messages.count());
}

TEST(PcxDecoder, WithoutPaletteIndicesShowAsGrey) {
    auto b = pcxHeader(2, 1, 2);
    b.insert(b.end(), {10, 20});
    Picture p;
    ASSERT_TRUE(loadBytes("g.pcx", b, 0, p));
    EXPECT_EQ(0xFF0A0A0Au, at(p, 0, 0));
    EXPECT_EQ(0xFF141414u, at(p, 1, 0));
}

TEST(PcxDecoder, OverrunningAndShortStreamsStayInBounds) {
    // A run far longer than the picture, then nothing at all.
    auto b = pcxHeader(4, 4, 4);
    b.insert(b.end(), {0xFF, 9, 0xFF, 9});
    Picture p;
    ASSERT_TRUE(loadBytes("o.pcx", b, 0, p));
    EXPECT_EQ(0xFF090909u, at(p, 3, 0));
    auto empty = pcxHeader(4, 4, 4);
    ASSERT_TRUE(loadBytes("e.pcx", empty, 0, p));
    EXPECT_EQ(0xFF000000u, at(p, 0, 0));
}

TEST(PcxDecoder, RefusesWhatItCannotShow) {
    MessageRecorder messages;
    Picture p;
    auto planes = pcxHeader(4, 4, 4);
    planes[65] = 3;
    EXPECT_FALSE(loadBytes("a.pcx", planes, 0, p));
    EXPECT_FALSE(loadBytes("b.pcx", pcxHeader(8, 4, 4), 0, p)); // line shorter than a row
    auto inverted = pcxHeader(4, 4, 4);
    put16(inverted, 4, 10); // xmin past xmax
    EXPECT_FALSE(loadBytes("c.pcx", inverted, 0, p));
    EXPECT_FALSE(loadBytes("d.pcx", std::vector<uint8_t>(60, 0), 0, p));
    ASSERT_EQ(4u, messages.count());
    EXPECT_EQ("PCX loader: Unsupported PCX format", messages.messages()[0].text);
    EXPECT_EQ("PCX loader: Error reading file", messages.messages()[3].text);
}

} // namespace

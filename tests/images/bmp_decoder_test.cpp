#include "picture_test_util.h"

#include "base/message_box.h"

#include <gtest/gtest.h>

namespace {

// An 8-bit bitmap with a BITMAPINFOHEADER; index (x + y) % colours, palette
// entry i = (blue i, green 2i, red 3i).
std::vector<uint8_t> makeBmp(int width, int height, uint32_t colorsUsed, uint32_t offset,
                             uint16_t bits = 8, uint32_t compression = 0) {
    const uint32_t colors = colorsUsed ? colorsUsed : 256;
    const uint32_t rowBytes = uint32_t(width + ((-width) & 3));
    std::vector<uint8_t> b(offset + rowBytes * uint32_t(height), 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 2, uint32_t(b.size()));
    put32(b, 10, offset);
    put32(b, 14, 40);
    put32(b, 18, uint32_t(width));
    put32(b, 22, uint32_t(height));
    put16(b, 26, 1);
    put16(b, 28, bits);
    put32(b, 30, compression);
    put32(b, 46, colorsUsed);
    for (uint32_t i = 0; i < colors && 54 + 4 * i + 3 < offset; ++i) {
        b[54 + 4 * i] = uint8_t(i);
        b[54 + 4 * i + 1] = uint8_t(2 * i);
        b[54 + 4 * i + 2] = uint8_t(3 * i);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            b[offset + uint32_t(y) * rowBytes + uint32_t(x)] = uint8_t((x + y) % colors);
    return b;
}

uint32_t paletteColor(uint32_t i) {
    return 0xFF000000u | (3 * i & 0xFF) << 16 | (2 * i & 0xFF) << 8 | (i & 0xFF);
}

TEST(BmpDecoder, RealFilesMatchTheirReference) {
    MessageRecorder messages;
    PngImage ref;
    ASSERT_TRUE(readPng(testImage("bmp/ref/bmpsuite_pal8.png"), ref));
    for (const char* name : {"bmp/bmpsuite_g_pal8.bmp", "bmp/bmpsuite_g_pal8-0.bmp"}) {
        Picture p;
        ASSERT_TRUE(loadTestPicture(name, 0, p)) << name;
        // The reference's palette was written with a few entries off by one.
        EXPECT_LE(maxDifference(p, ref, false), 1) << name;
        // Flip 1 stores the bottom row first.
        Picture flipped;
        ASSERT_TRUE(loadTestPicture(name, 1, flipped));
        EXPECT_LE(maxDifference(flipped, ref, true), 1) << name;
    }
    PngImage small;
    ASSERT_TRUE(readPng(testImage("bmp/ref/imagers_Info_8_Bit.bmp.png"), small));
    Picture p;
    ASSERT_TRUE(loadTestPicture("bmp/imagers_Info_8_Bit.bmp", 0, p));
    EXPECT_EQ(0, maxDifference(p, small, false));
    EXPECT_EQ(0u, messages.count());
}

TEST(BmpDecoder, PaddedRowsAndV5HeaderAreRead) {
    MessageRecorder messages;
    Picture w126;
    ASSERT_TRUE(loadTestPicture("bmp/bmpsuite_g_pal8w126.bmp", 0, w126));
    EXPECT_EQ(126, w126.width);
    EXPECT_EQ(63, w126.height);
    Picture sail;
    ASSERT_TRUE(loadTestPicture("bmp/sail_bpp8-indexed.bmp", 0, sail));
    EXPECT_EQ(32, sail.width);
    EXPECT_EQ(32, sail.height);
    EXPECT_EQ(0u, messages.count());
}

TEST(BmpDecoder, AcceptanceRules) {
    MessageRecorder messages;
    Picture p;
    EXPECT_TRUE(loadBytes("a.bmp", makeBmp(5, 3, 0, 1078), 0, p));
    EXPECT_EQ(5, p.width);
    EXPECT_EQ(3, p.height);
    EXPECT_EQ(0u, messages.count());

    EXPECT_FALSE(loadBytes("b.bmp", makeBmp(5, 3, 0, 1080), 0, p));
    EXPECT_FALSE(loadBytes("c.bmp", makeBmp(5, 3, 16, 118, 8, 1), 0, p));
    EXPECT_FALSE(loadBytes("d.bmp", makeBmp(5, 3, 300, 54 + 1200), 0, p));
    auto planes = makeBmp(5, 3, 16, 118);
    put16(planes, 26, 2);
    EXPECT_FALSE(loadBytes("e.bmp", planes, 0, p));
    auto negative = makeBmp(5, 3, 16, 118);
    put32(negative, 22, uint32_t(-3));
    EXPECT_FALSE(loadBytes("f.bmp", negative, 0, p));
    ASSERT_EQ(5u, messages.count());
    for (const Message& m : messages.messages()) {
        EXPECT_EQ("Unsupported, unusual BMP format", m.text);
        EXPECT_EQ("Error", m.caption);
        EXPECT_EQ(MessageIcon::Warning, m.icon);
    }
    EXPECT_TRUE(p.empty());
}

TEST(BmpDecoder, RefusesOtherDepthsTypesAndRle) {
    MessageRecorder messages;
    Picture p;
    EXPECT_FALSE(loadBytes("deep.bmp", makeBmp(4, 4, 0, 54, 24), 0, p));
    auto wrongType = makeBmp(4, 4, 16, 118);
    wrongType[0] = 'A';
    EXPECT_FALSE(loadBytes("type.bmp", wrongType, 0, p));
    EXPECT_FALSE(loadTestPicture("bmp/bmpsuite_g_pal8rle.bmp", 0, p));
    ASSERT_EQ(3u, messages.count());
    EXPECT_EQ("Wrong BMP color depth: 24 bit", messages.messages()[0].text);
    EXPECT_EQ("Unknown file type: 4d41", messages.messages()[1].text);
    EXPECT_EQ("Unsupported, unusual BMP format", messages.messages()[2].text);
}

TEST(BmpDecoder, RowsPaletteAndFlip) {
    MessageRecorder messages;
    const auto bytes = makeBmp(3, 2, 16, 118); // width 3: one pad byte a row
    Picture top, bottom;
    ASSERT_TRUE(loadBytes("p.bmp", bytes, 0, top));
    ASSERT_TRUE(loadBytes("p.bmp", bytes, 1, bottom));
    // File row 0 (index x + 0) is the picture's bottom row.
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(paletteColor(uint32_t(x)), at(top, x, 1));
        EXPECT_EQ(paletteColor(uint32_t(x + 1)), at(top, x, 0));
        EXPECT_EQ(paletteColor(uint32_t(x)), at(bottom, x, 0));
    }
}

TEST(BmpDecoder, TruncatedFilesAreRefusedAtEveryLength) {
    MessageRecorder messages;
    // The last row's padding may be missing; anything shorter is refused.
    const auto whole = makeBmp(7, 5, 16, 118);
    for (size_t n = 0; n < whole.size() - 1; ++n) {
        Picture p;
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(n));
        EXPECT_FALSE(loadBytes("t.bmp", cut, 0, p)) << n;
        EXPECT_TRUE(p.empty());
    }
    EXPECT_EQ(whole.size() - 1, messages.count());
    Picture p;
    std::vector<uint8_t> unpadded(whole.begin(), whole.end() - 1);
    EXPECT_TRUE(loadBytes("u.bmp", unpadded, 0, p));
    EXPECT_TRUE(messages.saw("BMP loader: Error reading file"));
}

} // namespace

#include "picture_test_util.h"

#include "base/message_box.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> tgaHeader(int type, int width, int height, int bits, int descriptor,
                               int idLength = 0) {
    std::vector<uint8_t> b(18 + size_t(idLength), 0);
    b[0] = uint8_t(idLength);
    b[2] = uint8_t(type);
    put16(b, 12, uint32_t(width));
    put16(b, 14, uint32_t(height));
    b[16] = uint8_t(bits);
    b[17] = uint8_t(descriptor);
    return b;
}

// A raw 24-bit picture with texel (x, y) = (b x, g y, r x + y) and its
// run-length form whose packets run across row ends.
struct Pair {
    std::vector<uint8_t> raw, rle;
};

Pair makePair(int width, int height) {
    Pair p{tgaHeader(2, width, height, 24, 0), tgaHeader(10, width, height, 24, 0)};
    std::vector<uint8_t> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            // Two columns of equal texels make runs possible.
            const int v = x / 2;
            pixels.push_back(uint8_t(v * 7));
            pixels.push_back(uint8_t(y * 5));
            pixels.push_back(uint8_t(v + y));
        }
    p.raw.insert(p.raw.end(), pixels.begin(), pixels.end());
    // Packets alternate: a run of 2, then 3 literal texels, regardless of rows.
    const size_t count = pixels.size() / 3;
    size_t i = 0;
    bool runNext = true;
    while (i < count) {
        if (runNext && i + 1 < count &&
            std::equal(pixels.begin() + long(3 * i), pixels.begin() + long(3 * i + 3),
                       pixels.begin() + long(3 * i + 3))) {
            p.rle.push_back(0x80 | 1);
            p.rle.insert(p.rle.end(), pixels.begin() + long(3 * i),
                         pixels.begin() + long(3 * i + 3));
            i += 2;
        } else {
            const size_t n = std::min<size_t>(3, count - i);
            p.rle.push_back(uint8_t(n - 1));
            p.rle.insert(p.rle.end(), pixels.begin() + long(3 * i),
                         pixels.begin() + long(3 * (i + n)));
            i += n;
        }
        runNext = !runNext;
    }
    return p;
}

TEST(TgaDecoder, RealFilesMatchTheirReferences) {
    MessageRecorder messages;
    PngImage rgb, rgba, topLeft, bottomLeft;
    ASSERT_TRUE(readPng(testImage("tga/ref/pillow_200x32_rgb.png"), rgb));
    ASSERT_TRUE(readPng(testImage("tga/ref/pillow_200x32_rgba.png"), rgba));
    ASSERT_TRUE(readPng(testImage("tga/ref/imagers_top_left.tga.png"), topLeft));
    ASSERT_TRUE(readPng(testImage("tga/ref/imagers_bottom_left.tga.png"), bottomLeft));
    // Rows stay in file order: bottom-left files come bottom row first.
    struct Case {
        const char* file;
        const PngImage* ref;
        bool bottomFirst;
    } cases[] = {
        {"tga/pillow_200x32_rgb_bl_raw.tga", &rgb, true},
        {"tga/pillow_200x32_rgb_bl_rle.tga", &rgb, true},
        {"tga/pillow_200x32_rgba_tl_raw.tga", &rgba, false},
        {"tga/imagers_top_left.tga", &topLeft, false},
        {"tga/imagers_bottom_left.tga", &bottomLeft, true},
    };
    for (const Case& c : cases) {
        for (int flip : {0, 1}) {
            Picture p;
            int error = -1;
            ASSERT_TRUE(loadTestPicture(c.file, flip, p, &error)) << c.file;
            EXPECT_EQ(0, error);
            EXPECT_EQ(0, maxDifference(p, *c.ref, c.bottomFirst)) << c.file;
        }
    }
    EXPECT_EQ(0u, messages.count());
}

TEST(TgaDecoder, OtherRealFilesLoad) {
    MessageRecorder messages;
    Picture texture, id, b5;
    ASSERT_TRUE(loadTestPicture("tga/allegro_texture.tga", 0, texture));
    EXPECT_EQ(64, texture.width);
    ASSERT_TRUE(loadTestPicture("tga/pillow_tga_id_field.tga", 0, id));
    EXPECT_EQ(100, id.width);
    ASSERT_TRUE(loadTestPicture("tga/imagers_b5-noattrib.tga", 0, b5));
    EXPECT_EQ(4, b5.width);
    // 16-bit without the alpha bit widens to opaque texels.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(0xFF000000u, b5.pixels[size_t(i)] & 0xFF000000u);
    EXPECT_EQ(0u, messages.count());
}

TEST(TgaDecoder, RunLengthPacketsAcrossRowsDecodeAsRaw) {
    MessageRecorder messages;
    for (int width : {1, 2, 5, 7}) {
        Pair pair = makePair(width, 4);
        Picture raw, rle;
        ASSERT_TRUE(loadBytes("r.tga", pair.raw, 0, raw));
        ASSERT_TRUE(loadBytes("r.tga", pair.rle, 0, rle));
        ASSERT_EQ(raw.width, rle.width);
        for (int i = 0; i < width * 4; ++i) EXPECT_EQ(raw.pixels[size_t(i)], rle.pixels[size_t(i)]);
        if (width >= 2) {
            EXPECT_EQ(0xFF010500u, at(raw, 1, 1)); // b = 7 * (x / 2), g = 5 y, r = x / 2 + y
        }
    }
    EXPECT_EQ(0u, messages.count());
}

TEST(TgaDecoder, SixteenBitPixels) {
    MessageRecorder messages;
    for (int descriptor : {0, 1}) {
        auto b = tgaHeader(2, 2, 1, 16, descriptor);
        // A1 R5 G5 B5: pure red with the attribute bit, then blue without it.
        b.push_back(0x00);
        b.push_back(0xFC);
        b.push_back(0x1F);
        b.push_back(0x00);
        Picture p;
        ASSERT_TRUE(loadBytes("s.tga", b, 0, p));
        const uint32_t alphaRed = 0xFF000000u; // set bit or no alpha at all
        const uint32_t alphaBlue = descriptor ? 0x00000000u : 0xFF000000u;
        EXPECT_EQ(alphaRed | 0xFF0000u, at(p, 0, 0));
        EXPECT_EQ(alphaBlue | 0x0000FFu, at(p, 1, 0));
    }
    EXPECT_EQ(0u, messages.count());
}

TEST(TgaDecoder, ErrorCodesAndTexts) {
    MessageRecorder messages;
    Picture p;
    int error = 0;
    EXPECT_FALSE(loadBytes("w.tga", tgaHeader(2, 4097, 1, 24, 0), 0, p, &error));
    EXPECT_EQ(4, error);
    EXPECT_FALSE(loadBytes("w.tga", tgaHeader(1, 4, 4, 8, 0), 0, p, &error)); // colour-mapped
    EXPECT_EQ(4, error);
    EXPECT_FALSE(loadBytes("w.tga", tgaHeader(2, 4, 4, 8, 0), 0, p, &error)); // 1 byte a pixel
    EXPECT_EQ(4, error);
    EXPECT_FALSE(loadBytes("w.tga", tgaHeader(2, 0, 4, 24, 0), 0, p, &error));
    EXPECT_EQ(4, error);
    auto shortRaw = tgaHeader(2, 4, 4, 24, 0);
    shortRaw.resize(shortRaw.size() + 40);
    EXPECT_FALSE(loadBytes("w.tga", shortRaw, 0, p, &error));
    EXPECT_EQ(2, error);
    EXPECT_FALSE(loadBytes("w.tga", std::vector<uint8_t>(10, 0), 0, p, &error));
    EXPECT_EQ(2, error);
    EXPECT_TRUE(p.empty());
    const auto m = messages.messages();
    ASSERT_EQ(6u, m.size());
    EXPECT_EQ("TGA loader: Unsupported file format", m[0].text);
    EXPECT_EQ("TGA loader: Error reading file", m[4].text);
    EXPECT_EQ("Error", m[4].caption);
    EXPECT_EQ(MessageIcon::Warning, m[4].icon);
    EXPECT_STREQ("TGA loader: Error opening file", targaErrorText(1));
    EXPECT_STREQ("TGA loader: Out of memory error", targaErrorText(3));
}

TEST(TgaDecoder, TruncatedRunLengthBodyIsReportedOnceAndKept) {
    MessageRecorder messages;
    Pair pair = makePair(6, 30);
    const auto full = pair.rle;
    for (size_t cut = 19; cut < full.size(); cut += 7) {
        messages.clear();
        std::vector<uint8_t> b(full.begin(), full.begin() + long(cut));
        Picture p;
        EXPECT_TRUE(loadBytes("t.tga", b, 0, p)) << cut;
        EXPECT_EQ(6, p.width);
        ASSERT_EQ(1u, messages.count()) << cut;
        EXPECT_EQ("src <= buf + size", messages.messages()[0].text);
        EXPECT_EQ("Assertion failed", messages.messages()[0].caption);
    }
}

TEST(TgaDecoder, IdFieldAndColourMapAreSkipped) {
    MessageRecorder messages;
    auto b = tgaHeader(2, 1, 1, 32, 0, 3);
    b[1] = 1;       // colour map present
    put16(b, 5, 2); // two entries
    b[7] = 24;      // of 24 bits
    b.insert(b.end(), {9, 9, 9, 9, 9, 9});
    b.insert(b.end(), {1, 2, 3, 4});
    Picture p;
    ASSERT_TRUE(loadBytes("m.tga", b, 0, p));
    EXPECT_EQ(0x04030201u, at(p, 0, 0));
}

} // namespace

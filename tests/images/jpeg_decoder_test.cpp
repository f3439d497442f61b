#include "picture_test_util.h"

#include "base/diag_log.h"
#include "base/message_box.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

TEST(JpegDecoder, MatchesTheReferenceDecode) {
    MessageRecorder messages;
    PngImage ref;
    ASSERT_TRUE(readPng(testImage("jpeg/ref/ijg_testorig.png"), ref));
    Picture p;
    ASSERT_TRUE(loadTestPicture("jpeg/ijg_testorig.jpg", 0, p));
    // The reference is the Rec. 709 luma of a reference decode: compare the
    // luma of ours. Chroma upsampling and the floating-point IDCT move
    // single texels at sharp colour edges, so compare the mean and the bulk.
    ASSERT_EQ(ref.width, p.width);
    ASSERT_EQ(ref.height, p.height);
    double sum = 0;
    int far = 0;
    for (size_t i = 0; i < ref.pixels.size(); ++i) {
        const uint32_t t = p.pixels[i];
        const double y =
            0.2126 * ((t >> 16) & 0xFF) + 0.7152 * ((t >> 8) & 0xFF) + 0.0722 * (t & 0xFF);
        const double d = std::abs(y - double(ref.pixels[i] & 0xFF));
        sum += d;
        far += d > 12;
    }
    EXPECT_LT(sum / double(ref.pixels.size()), 2.0);
    EXPECT_LT(far, int(ref.pixels.size() / 100));
    EXPECT_EQ(0u, messages.count());
}

TEST(JpegDecoder, FlipPutsTheLastScanlineFirst) {
    Picture top, bottom;
    ASSERT_TRUE(loadTestPicture("jpeg/pillow_hopper.jpg", 0, top));
    ASSERT_TRUE(loadTestPicture("jpeg/pillow_hopper.jpg", 1, bottom));
    ASSERT_EQ(128, top.width);
    ASSERT_EQ(128, top.height);
    for (int y = 0; y < top.height; y += 17)
        for (int x = 0; x < top.width; x += 13)
            EXPECT_EQ(at(top, x, y), at(bottom, x, top.height - 1 - y));
}

TEST(JpegDecoder, GreyAndColourPictures) {
    MessageRecorder messages;
    Picture grey, colour;
    ASSERT_TRUE(loadTestPicture("jpeg/pillow_hopper_gray.jpg", 0, grey));
    bool allGrey = true;
    for (int i = 0; i < grey.width * grey.height; ++i) {
        const uint32_t t = grey.pixels[size_t(i)];
        allGrey &=
            (t >> 24) == 255 && ((t >> 16) & 0xFF) == (t & 0xFF) && ((t >> 8) & 0xFF) == (t & 0xFF);
    }
    EXPECT_TRUE(allGrey);
    ASSERT_TRUE(loadTestPicture("jpeg/allegro_obp.jpg", 0, colour));
    EXPECT_EQ(532, colour.width);
    EXPECT_EQ(416, colour.height);
    EXPECT_EQ(0u, messages.count());
}

TEST(JpegDecoder, OtherSubsamplingsAndProgressiveUnderAJpgName) {
    MessageRecorder messages;
    for (const char* name : {"jpeg/sail_ycbcr_420.jpeg", "jpeg/sail_ycbcr_444.jpeg",
                             "jpeg/sail_ycbcr_progressive.jpeg"}) {
        Picture p;
        ASSERT_TRUE(loadBytes("copy.jpg", readTestFile(name), 0, p)) << name;
        EXPECT_FALSE(p.empty()) << name;
        // Under their own ".jpeg" name the player knows no decoder: nothing loads.
        Picture none;
        EXPECT_TRUE(loadTestPicture(name, 0, none));
        EXPECT_TRUE(none.empty());
    }
    EXPECT_EQ(0u, messages.count());
}

TEST(JpegDecoder, TruncatedStreamEndsWithAnEndMarker) {
    MessageRecorder messages;
    auto bytes = readTestFile("jpeg/pillow_hopper.jpg");
    bytes.resize(bytes.size() / 2);
    Picture p;
    EXPECT_TRUE(loadBytes("half.jpg", bytes, 0, p));
    EXPECT_EQ(128, p.width);
    EXPECT_EQ(0u, messages.count());
}

TEST(JpegDecoder, FatalErrorsAbandonTheLoadCleanly) {
    MessageRecorder messages;
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    Picture p;
    EXPECT_FALSE(loadBytes("empty.jpg", {}, 0, p));
    EXPECT_FALSE(loadBytes("junk.jpg", std::vector<uint8_t>(100, 0x42), 0, p));
    auto bytes = readTestFile("jpeg/pillow_hopper.jpg");
    bytes.resize(300); // inside the tables
    EXPECT_FALSE(loadBytes("cut.jpg", bytes, 0, p));
    EXPECT_TRUE(p.empty());
    ASSERT_EQ(3u, messages.count());
    for (const Message& m : messages.messages()) {
        EXPECT_EQ(0u, m.text.rfind("JPEG loader: ", 0)) << m.text;
        EXPECT_EQ("Error", m.caption);
    }
    // The decoder is usable again after an abandoned load.
    ASSERT_TRUE(loadTestPicture("jpeg/pillow_hopper.jpg", 0, p));
    EXPECT_EQ(128, p.width);
}

TEST(JpegDecoder, CorruptDataNeverReadsOutOfBounds) {
    MessageRecorder messages;
    const auto original = readTestFile("jpeg/ijg_testorig.jpg");
    for (size_t i = 20; i < original.size(); i += original.size() / 40) {
        auto bytes = original;
        for (size_t k = i; k < i + 16 && k < bytes.size(); ++k)
            bytes[k] = uint8_t(bytes[k] * 31 + 7);
        Picture p;
        loadBytes("bad.jpg", bytes, 0, p); // either outcome is fine; no crash, no overrun
        if (!p.empty()) {
            EXPECT_EQ(227, p.width);
        }
    }
}

} // namespace

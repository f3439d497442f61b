#include "picture_test_util.h"

#include "base/diag_log.h"
#include "base/message_box.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(PictureLoader, ExtensionChoosesTheDecoderInAnyCase) {
    EXPECT_EQ(PictureFormat::Bmp, pictureFormatOf("a.bmp"));
    EXPECT_EQ(PictureFormat::Jpeg, pictureFormatOf("PIC.JPG"));
    EXPECT_EQ(PictureFormat::Targa, pictureFormatOf("x\\y.TgA"));
    EXPECT_EQ(PictureFormat::Pcx, pictureFormatOf("p.pcx"));
    EXPECT_EQ(PictureFormat::Unknown, pictureFormatOf("p.jpeg"));
    EXPECT_EQ(PictureFormat::Unknown, pictureFormatOf("pg"));
    EXPECT_EQ(PictureFormat::Unknown, pictureFormatOf(""));
}

TEST(PictureLoader, UpperCaseNameDecodesAsJpeg) {
    MessageRecorder messages;
    Picture p;
    ASSERT_TRUE(loadBytes("HOPPER.JPG", readTestFile("jpeg/pillow_hopper.jpg"), 0, p));
    EXPECT_EQ(128, p.width);
    EXPECT_EQ(0u, messages.count());
}

TEST(PictureLoader, MissingFileIsLoggedAndFails) {
    std::ostringstream log;
    DiagLogRedirect redirect(log);
    MessageRecorder messages;
    auto files = std::make_shared<MemoryFile::Files>();
    MemoryFile memory(files);
    Picture p;
    EXPECT_FALSE(loadPicture(memory, "gone.jpg", 0, p));
    EXPECT_EQ("gone.jpg missing!\n", log.str());
    EXPECT_EQ(0u, messages.count());
    EXPECT_TRUE(p.empty());
}

TEST(PictureLoader, UnknownExtensionLoadsNothingAndSucceeds) {
    MessageRecorder messages;
    Picture p;
    EXPECT_TRUE(loadBytes("notes.txt", {1, 2, 3}, 0, p));
    EXPECT_TRUE(p.empty());
    EXPECT_EQ(0u, messages.count());
}

TEST(PictureLoader, TargaTextIsShownAndCodeKept) {
    MessageRecorder messages;
    Picture p;
    int code = 0;
    EXPECT_FALSE(loadBytes("bad.tga", std::vector<uint8_t>(18, 0), 0, p, &code));
    EXPECT_EQ(4, code);
    ASSERT_EQ(1u, messages.count());
    EXPECT_EQ("TGA loader: Unsupported file format", messages.messages()[0].text);
}

// Every real picture either loads or is refused with a message; none is
// accepted half-way.
TEST(PictureLoader, EveryTestPictureLoadsOrIsRefusedCleanly) {
    const char* files[] = {
        "bmp/bmpsuite_g_pal8.bmp",
        "bmp/bmpsuite_g_pal8-0.bmp",
        "bmp/bmpsuite_g_pal8w126.bmp",
        "bmp/bmpsuite_g_pal8rle.bmp",
        "bmp/sail_bpp8-indexed.bmp",
        "bmp/imagers_Info_8_Bit.bmp",
        "jpeg/ijg_testorig.jpg",
        "jpeg/pillow_hopper.jpg",
        "jpeg/pillow_hopper_gray.jpg",
        "jpeg/allegro_obp.jpg",
        "tga/allegro_texture.tga",
        "tga/imagers_b5-noattrib.tga",
        "tga/imagers_bottom_left.tga",
        "tga/imagers_top_left.tga",
        "tga/pillow_tga_id_field.tga",
        "tga/pillow_200x32_rgb_bl_raw.tga",
        "tga/pillow_200x32_rgb_bl_rle.tga",
        "tga/pillow_200x32_rgba_tl_raw.tga",
        "pcx/allegro_allegro.pcx",
        "pcx/allegro_planet.pcx",
        "pcx/sail_bpp8-indexed.pcx",
    };
    for (const char* f : files) {
        MessageRecorder messages;
        Picture p;
        const bool ok = loadTestPicture(f, 0, p);
        if (ok) {
            EXPECT_FALSE(p.empty()) << f;
            EXPECT_EQ(0u, messages.count()) << f;
        } else {
            EXPECT_TRUE(p.empty()) << f;
            EXPECT_EQ(1u, messages.count()) << f;
        }
    }
}

} // namespace

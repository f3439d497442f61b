#include "files/disk_file.h"
#include "images/picture_loader.h"
#include "tests/support/png_image.h"
#include "tests/support/temp_dir.h"
#include "tools/nltool/commands.h"

#include <cstring>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun picture(const Args& args) {
    std::ostringstream out, err;
    const int code = pictureCommand(args, out, err);
    return {code, out.str(), err.str()};
}

std::string image(const std::string& relative) {
    return std::string(NL_TESTDATA_DIR) + "/images/" + relative;
}

TEST(NltoolPicture, WritesTheDecodedPixelsTopRowFirstWithAlpha) {
    TempDir tmp;
    for (const char* file :
         {"tga/pillow_200x32_rgba_tl_raw.tga", "tga/pillow_200x32_rgb_bl_rle.tga",
          "bmp/bmpsuite_g_pal8.bmp", "pcx/allegro_planet.pcx", "jpeg/pillow_hopper_gray.jpg"}) {
        const std::string png = tmp.path("out.png").string();
        const ToolRun r = picture({image(file), png});
        ASSERT_EQ(0, r.code) << file << r.err;
        EXPECT_NE(std::string::npos, r.out.find(" x ")) << r.out;
        PngImage written;
        ASSERT_TRUE(readPng(png, written));
        DiskFile disk;
        Picture decoded;
        ASSERT_TRUE(loadPicture(disk, image(file).c_str(), 0, decoded));
        ASSERT_EQ(decoded.width, written.width);
        ASSERT_EQ(decoded.height, written.height);
        EXPECT_EQ(
            0, std::memcmp(decoded.pixels.get(), written.pixels.data(), written.pixels.size() * 4))
            << file;
    }
    // The RGBA file keeps its alpha: some texels are not opaque.
    ASSERT_EQ(
        0, picture({image("tga/pillow_200x32_rgba_tl_raw.tga"), tmp.path("a.png").string()}).code);
    PngImage rgba;
    ASSERT_TRUE(readPng(tmp.path("a.png").string(), rgba));
    bool translucent = false;
    for (uint32_t t : rgba.pixels) translucent |= (t >> 24) != 255;
    EXPECT_TRUE(translucent);
}

TEST(NltoolPicture, RefusalsPrintThePlayersMessage) {
    TempDir tmp;
    const std::string png = tmp.path("out.png").string();
    ToolRun r = picture({image("bmp/bmpsuite_g_pal8rle.bmp"), png});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("Error: Unsupported, unusual BMP format\n", r.err);
    EXPECT_FALSE(std::filesystem::exists(png));

    r = picture({image("jpeg/sail_ycbcr_444.jpeg"), png});
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos, r.err.find("no picture of this kind"));

    r = picture({tmp.path("absent.tga").string(), png});
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos, r.err.find("absent.tga missing!"));

    tmp.write("short.tga", std::string(10, '\0'));
    r = picture({tmp.path("short.tga").string(), png});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("Error: TGA loader: Error reading file\n", r.err);

    EXPECT_EQ(2, picture({"only-one"}).code);
}

} // namespace

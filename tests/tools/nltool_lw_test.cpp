#include "tests/support/temp_dir.h"
#include "tools/nltool/commands.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

struct ToolRun {
    int code;
    std::string out, err;
    std::vector<std::string> lines(const std::string& word) const {
        std::vector<std::string> found;
        std::istringstream in(out);
        std::string line;
        while (std::getline(in, line))
            if (line.rfind(word + " ", 0) == 0) found.push_back(line);
        return found;
    }
};

ToolRun lw(const Args& args) {
    std::ostringstream out, err;
    const int code = lwCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(NltoolLw, PrintsTheQuickDrawSceneRecordByRecord) {
    const ToolRun r = lw({std::string(NL_TESTDATA_DIR) + "/lws/quickdraw/LWS/QuickDraw v.2.2.lws"});
    ASSERT_EQ(0, r.code) << r.err;
    const auto scene = r.lines("scene");
    ASSERT_EQ(1u, scene.size());
    EXPECT_NE(std::string::npos, scene[0].find(" objects=20 lights=1 cameras=1 "));
    EXPECT_NE(std::string::npos, scene[0].find(" framesPerSecond=30 "));
    const auto items = r.lines("item");
    ASSERT_EQ(22u, items.size());
    EXPECT_NE(std::string::npos, items[0].find("kind=object index=0 "));
    EXPECT_NE(std::string::npos, items[0].find(" parent=object:14 "));
    EXPECT_NE(std::string::npos, items[14].find(" parent=none "));
    EXPECT_EQ(22u * 9, r.lines("channel").size()); // every item has its nine channels
    EXPECT_EQ(1u, r.lines("light").size());
    EXPECT_EQ(1u, r.lines("camera").size());
    const auto messages = r.lines("message");
    ASSERT_EQ(11u, messages.size());
    EXPECT_EQ("message caption=\"Assertion failed\" text=\"layer < metamesh->layer.size() && "
              "metamesh->layer[layer] && \\\"invalid LWO layer number!\\\"\"",
              messages[0]);
}

TEST(NltoolLw, QuotesNamesAndReportsRefusals) {
    TempDir tmp;
    tmp.write("s.lws", "LWSC\n3\nAddNullObject \"two words\"\nObjectMotion\nNumChannels 1\n"
                       "Channel 0\n{ Envelope\n 1\n Key 4.5 0 0 0 0 0 0 0 0\n Behaviors 1 1\n}\n"
                       "AddLight\nLightName lamp\nLightIntensity 0.5\n");
    ToolRun r = lw({tmp.path("s.lws").string()});
    ASSERT_EQ(0, r.code);
    const auto items = r.lines("item");
    ASSERT_EQ(2u, items.size());
    EXPECT_NE(std::string::npos, items[0].find(" name=\"two words\" "));
    EXPECT_NE(std::string::npos, r.out.find("channel item=object:0 channel=0 keys=0 value=4.5\n"));
    EXPECT_NE(std::string::npos, r.out.find("light index=0 name=lamp type=0 "));

    tmp.write("old.lws", "LWSC\n2\n");
    r = lw({tmp.path("old.lws").string()});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ(
        "message caption=\"Assertion failed\" text=\"0 && \\\"unbekanntes LWS file!!!\\\"\"\n",
        r.out);
    r = lw({tmp.path("absent.lws").string()});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("log text=\"File not found!\"\n", r.out);
    EXPECT_EQ(2, lw({}).code);
}

} // namespace

namespace {

TEST(NltoolLw, PrintsAnObjectsLayersSurfacesMapsAndClips) {
    const ToolRun r = lw({std::string(NL_TESTDATA_DIR) + "/lwo2/box3-uv-layers.lwo"});
    ASSERT_EQ(0, r.code) << r.err;
    const auto object = r.lines("object");
    ASSERT_EQ(1u, object.size());
    EXPECT_NE(std::string::npos, object[0].find(" layers=10 tags=8 surfaces=8"));
    const auto layers = r.lines("layer");
    ASSERT_EQ(10u, layers.size());
    EXPECT_NE(std::string::npos, layers[0].find("number=0 kind=polygons "));
    EXPECT_NE(std::string::npos, layers[0].find(" points=8 polygons=6 "));
    EXPECT_NE(std::string::npos, layers[2].find("number=2 kind=none "));
    EXPECT_EQ(8u, r.lines("surface").size());
    const auto vmaps = r.lines("vmap");
    ASSERT_EQ(1u, vmaps.size());
    EXPECT_EQ("vmap layer=0 type=TXUV name=Texture entries=8", vmaps[0]);
    const auto clips = r.lines("clip");
    ASSERT_EQ(1u, clips.size());
    EXPECT_NE(std::string::npos, clips[0].find("name=C:/storage/3d/box/cc0.png flags=7"));
    const auto texlayers = r.lines("texlayer");
    ASSERT_EQ(1u, texlayers.size());
    EXPECT_NE(std::string::npos, texlayers[0].find(" type=IMAP channel=COLR projection=5 "));
    // The picture itself is not beside the test: the player's log line says so.
    EXPECT_NE(std::string::npos, r.out.find("log text=\"C:/storage/3d/box/cc0.png missing!\""));

    const ToolRun refused =
        lw({std::string(NL_TESTDATA_DIR) + "/lwo2/negative/LWOB_ConcavePolygon.lwo"});
    EXPECT_EQ(1, refused.code);
    EXPECT_EQ("message caption=\"Assertion failed\" text=\"0 && \\\"not an LWO2 file!!!\\\"\"\n",
              refused.out);
}

} // namespace

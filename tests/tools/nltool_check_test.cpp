// nltool check on small shows packed by the test: one that plays cleanly,
// and the same show with one mistake of each kind, each reported at its
// script line with the text the player would show.

#include "files/archive_writer.h"
#include "tests/lightwave/lwo_builder.h"
#include "tests/support/temp_dir.h"
#include "tools/nltool/check_capture.h"
#include "tools/nltool/commands.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

namespace {

using B = LwoBuilder;
using Bytes = std::vector<uint8_t>;

Bytes testdata(const std::string& relative) {
    std::ifstream in(std::string(NL_TESTDATA_DIR) + "/" + relative, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}


const char kShipScene[] = "LWSC\n3\nLoadObjectLayer 1 ship.lwo\nAddLight\nAddCamera\n";

// The script of the good show, one event a line: line k is script[k - 1].
const std::vector<std::string> kGoodScript = {
    "; a short show that looks up everything it uses",
    "0       loadmetascript part1.txt",
    "0       activemeta part1",
    "0       playxm tune.xm",
    "0       start intro",
    "0       cam intro 0",
    "0       clear intro 3 0xff000000",
    "0:01    setrt tunnel ship.lwo@Skin",
    "0:01    start TUNNEL",
    "0:02    picfadein 0.5 ship",
    "0:02.5  xfade tunnel 500",
    "0:03    stop intro",
    "0:04    freemeta part1",
    "0:05    stopdemo",
};

std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

// The show's files by archive name; the archive is written on demand.
struct Show {
    std::map<std::string, Bytes> files;
    std::vector<std::string> script = kGoodScript;

    Show() {
        const Bytes picture = testdata("images/jpeg/pillow_hopper.jpg");
        files["loading.jpg"] = picture;
        files["sglow.jpg"] = picture;
        files["hull.jpg"] = picture;
        files["tune.xm"] = testdata("music/xm/libxmp_stereo.xm");
        files["ship.lwo"] = LwoBuilder::pictureTriangle("Skin", "hull.jpg");
        files["intro.lws"] = text(kShipScene);
        files["tunnel.lws"] = text(kShipScene);
        files["part1.txt"] = text("intro.lws\ntunnel.lws\n");
    }
    // Line `line` of the script becomes `event`.
    Show& change(size_t line, const std::string& event) {
        script.at(line - 1) = event;
        return *this;
    }
    std::string pack(const TempDir& dir, const std::string& scriptName = "scene.scr") {
        files[scriptName] = text(joined(script));
        std::vector<PackedEntry> entries;
        for (const auto& f : files) entries.push_back(packEntry(f.first, f.second));
        Bytes archive;
        std::string error;
        EXPECT_TRUE(buildArchive(entries, &archive, &error)) << error;
        dir.write("show.sar", archive);
        return dir.path("show.sar").string();
    }
};

struct ToolRun {
    int code;
    std::string out, err;
    std::string summary; // what the show uses, printed after the problems
};

ToolRun check(const Args& args) {
    std::ostringstream out, err;
    const int code = checkCommand(args, out, err);
    std::string problems = out.str(), summary;
    const size_t at = problems.find("commands used: ");
    if (at != std::string::npos) {
        summary = problems.substr(at);
        problems.erase(at);
    }
    return {code, problems, err.str(), summary};
}

// The summary line that starts with `label`, without the label.
std::string summaryLine(const ToolRun& r, const std::string& label) {
    std::istringstream lines(r.summary);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(label, 0) == 0) return line.substr(label.size());
    return "(no line " + label + ")";
}

TEST(NltoolCheck, AGoodShowPassesWithoutAProblem) {
    TempDir tmp;
    Show show;
    ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(0, r.code) << r.out;
    EXPECT_EQ("no problems in 13 events\n", r.out);
    EXPECT_EQ("", r.err);

    // The script may have another name; the archive holds both.
    show.change(14, "0:05    fadeout 1.0 0xff000000");
    r = check({show.pack(tmp, "other.scr"), "other.scr"});
    EXPECT_EQ(0, r.code) << r.out;
    EXPECT_EQ("no problems in 13 events\n", r.out);
}

TEST(NltoolCheck, TheSummaryListsTheCommandsAndFeaturesTheShowUses) {
    TempDir tmp;
    Show show;
    // A spot light with a shadow map before the ship, a point light with
    // linear falloff and a lens flare; fog.
    show.files["intro.lws"] = text(
        "LWSC\n3\nLoadObjectLayer 1 ship.lwo\nShadowOptions 7\n"
        "AddLight\nLightType 2\nShadowType 2\n"
        "AddLight\nLightType 1\nLightFalloffType 1\nLensFlare 1\n"
        "AddCamera\nFogType 1\n");
    ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(0, r.code) << r.out << r.summary;
    EXPECT_EQ("stopdemo 1, loadmetascript 1, activemeta 1, freemeta 1, cam 1, setrt 1, start 2, "
              "stop 1, clear 1, xfade 1, picfadein 1, playxm 1",
              summaryLine(r, "commands used: "));
    const std::string unused = summaryLine(r, "commands never used: ");
    EXPECT_EQ(0u, unused.find("loadmeta, restart, hold, view,")) << unused;
    EXPECT_EQ(std::string::npos, unused.find("xfade"));
    const std::string found = summaryLine(r, "features found: ");
    for (const char* f : {"surface program 0 1", "spot light 1", "point light 1", "distant light 1",
                          "linear falloff 1", "shadow map 1", "lens flare 1", "fog 1",
                          "shadow casters 1", "shadow receivers 1", "jpg picture 1"})
        EXPECT_NE(std::string::npos, found.find(f)) << f << " in " << found;
    const std::string absent = summaryLine(r, "features not found: ");
    for (const char* f : {"progressive mesh", "planar mirror", "emitter", "area light"})
        EXPECT_NE(std::string::npos, absent.find(f)) << f << " in " << absent;

    // Required names the show uses pass; any it does not use fail the check.
    r = check({show.pack(tmp), "--require", "fog, lens flare,xfade"});
    EXPECT_EQ(0, r.code) << r.summary;
    r = check({show.pack(tmp), "--require", "fog,planar mirror,blur"});
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos, r.summary.find("required but not used: planar mirror\n"));
    EXPECT_NE(std::string::npos, r.summary.find("required but not used: blur\n"));
    EXPECT_EQ(std::string::npos, r.summary.find("required but not used: fog"));
}

// A one-triangle ship.lwo whose surface "Skin" has `subchunks`; clip 1 is
// hull.jpg.
Bytes shipWithSkin(const Bytes& subchunks) {
    B b;
    b.tags({"Skin"});
    b.layer(0);
    b.points({0, 0, 0, 1, 0, 0, 0, 1, 0});
    b.polygons("FACE", {{0, 1, 2}});
    Bytes ptag;
    B::id(ptag, "SURF");
    B::vx(ptag, 0);
    B::u2(ptag, 0);
    b.chunk("PTAG", ptag);
    b.stillClip(1, "hull.jpg");
    b.surface("Skin", subchunks);
    return b.file();
}

// An enabled picture layer of `channel` showing clip 1.
Bytes pictureBlock(const char* channel) {
    Bytes index, proj;
    B::vx(index, 1);
    B::u2(proj, 0);
    return B::sub("BLOK", B::join(B::join(B::blockHeader("IMAP", channel), B::sub("PROJ", proj)),
                                  B::sub("IMAG", index)));
}

// The same, switched off.
Bytes switchedOffBlock(const char* channel) {
    Bytes off, index;
    B::u2(off, 0);
    B::vx(index, 1);
    return B::sub("BLOK", B::join(B::blockHeader("IMAP", channel, B::sub("ENAB", off)),
                                  B::sub("IMAG", index)));
}

Bytes reflectionOptions(uint32_t options) {
    Bytes b;
    B::u2(b, options);
    return B::sub("RFOP", b);
}

Bytes reflectionImage() {
    Bytes b;
    B::vx(b, 1);
    return B::sub("RIMG", b);
}

// The "stage row: ..." entries of a summary line.
std::vector<std::string> stageRows(const std::string& line) {
    std::vector<std::string> rows;
    for (size_t at = line.find("stage row: "); at != std::string::npos;
         at = line.find("stage row: ", at + 1))
        rows.push_back(line.substr(at, line.find(',', at) - at));
    return rows;
}

TEST(NltoolCheck, EachSurfaceIsCountedUnderTheFirstTextureStageRowItMatches) {
    const struct {
        const char* what;
        Bytes skin;
        const char* row; // null: no row at all
    } cases[] = {
        {"transparency", pictureBlock("TRAN"), "stage row: transparency layer 1"},
        {"transparency before diffuse", pictureBlock("DIFF") + pictureBlock("TRAN"),
         "stage row: transparency layer 1"},
        {"colour and transparency", pictureBlock("COLR") + pictureBlock("TRAN"),
         "stage row: colour and transparency layers 1"},
        {"diffuse", pictureBlock("DIFF"), "stage row: diffuse layer 1"},
        {"diffuse before specular", pictureBlock("SPEC") + pictureBlock("DIFF"),
         "stage row: diffuse layer 1"},
        {"specular", pictureBlock("COLR") + pictureBlock("SPEC"), "stage row: specular layer 1"},
        {"colour", pictureBlock("COLR"), "stage row: colour layer 1"},
        {"spherical", pictureBlock("COLR") + reflectionOptions(2) + reflectionImage(),
         "stage row: spherical reflection 1"},
        {"spherical without its picture", pictureBlock("COLR") + reflectionOptions(2),
         "stage row: colour layer 1"},
        {"cube", pictureBlock("COLR") + reflectionOptions(3), "stage row: cube reflection 1"},
        {"cube before the colour row's picture", reflectionOptions(3) + reflectionImage(),
         "stage row: cube reflection 1"},
        {"plain", Bytes{}, "stage row: no texture 1"},
        {"a layer switched off", pictureBlock("COLR") + switchedOffBlock("TRAN"),
         "stage row: colour layer 1"},
        {"per-pixel bump", pictureBlock("COLR") + pictureBlock("TRNL") + pictureBlock("BUMP"),
         nullptr},
    };
    TempDir tmp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Show show;
        show.files["ship.lwo"] = shipWithSkin(c.skin);
        const ToolRun r = check({show.pack(tmp)});
        EXPECT_EQ(0, r.code) << r.out;
        const std::string found = summaryLine(r, "features found: ");
        if (c.row) {
            EXPECT_EQ(std::vector<std::string>{c.row}, stageRows(found)) << found;
            EXPECT_NE(std::string::npos, found.find("surface program 0 1")) << found;
        } else {
            EXPECT_EQ(std::vector<std::string>{}, stageRows(found)) << found;
            EXPECT_NE(std::string::npos, found.find("surface program 2 1")) << found;
            EXPECT_EQ(std::string::npos, found.find("surface program 0")) << found;
        }
    }
}

TEST(NltoolCheck, StageRowsAreCountedOncePerSurfaceAndCanBeRequired) {
    // Beside the ship, an object of three surfaces: four surfaces, two rows.
    B two;
    two.tags({"Glass", "Hull", "Deck"});
    two.layer(0);
    two.points({0, 0, 0, 1, 0, 0, 0, 1, 0});
    two.polygons("FACE", {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}});
    Bytes ptag;
    B::id(ptag, "SURF");
    for (uint32_t k = 0; k < 3; ++k) {
        B::vx(ptag, k);
        B::u2(ptag, k);
    }
    two.chunk("PTAG", ptag);
    two.stillClip(1, "hull.jpg");
    two.surface("Glass", pictureBlock("TRAN"));
    two.surface("Hull", pictureBlock("COLR"));
    two.surface("Deck", pictureBlock("COLR"));

    TempDir tmp;
    Show show;
    show.files["parts.lwo"] = two.file();
    show.files["intro.lws"] =
        text("LWSC\n3\nLoadObjectLayer 1 ship.lwo\nLoadObjectLayer 1 parts.lwo\nAddLight\n"
             "AddCamera\n");
    ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(0, r.code) << r.out;
    const std::string found = summaryLine(r, "features found: ");
    EXPECT_EQ(
        (std::vector<std::string>{"stage row: transparency layer 1", "stage row: colour layer 3"}),
        stageRows(found))
        << found;
    const std::string absent = summaryLine(r, "features not found: ");
    for (const char* row : {"stage row: diffuse layer", "stage row: specular layer",
                            "stage row: cube reflection", "stage row: no texture"})
        EXPECT_NE(std::string::npos, absent.find(row)) << row << " in " << absent;

    r = check(
        {show.pack(tmp), "--require", "stage row: colour layer,stage row: transparency layer"});
    EXPECT_EQ(0, r.code) << r.summary;
    r = check({show.pack(tmp), "--require", "stage row: colour layer,stage row: specular layer"});
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos,
              r.summary.find("required but not used: stage row: specular layer\n"))
        << r.summary;
    EXPECT_EQ(std::string::npos, r.summary.find("required but not used: stage row: colour layer"));
}

TEST(NltoolCheck, LightModesCountWhenTheScriptTurnsThemOn) {
    const char* pointLightScene = "LWSC\n3\nLoadObjectLayer 1 ship.lwo\nAddLight\nLightType 1\n"
                                  "AddCamera\n";
    const struct {
        const char* what;
        bool pointLight;
        std::vector<std::string> events; // inserted before line `at`
        size_t at;
        const char* flicker;  // its entry in the found line, or null when not found
        const char* doubling; // the same
    } cases[] = {
        {"flash on, before the point light is loaded",
         true,
         {"0       lightflash 1"},
         1,
         "colour flicker 1",
         nullptr},
        {"flash on, after the point light is loaded",
         true,
         {"0:01    lightflash 1", "0:01    lightflash 0", "0:01    lightflash 2"},
         9,
         "colour flicker 2",
         nullptr},
        {"flash on without a point light", false, {"0       lightflash 1"}, 1, nullptr, nullptr},
        {"a point light and the flash switched off",
         true,
         {"0       lightflash 0"},
         1,
         nullptr,
         nullptr},
        {"falloff on", false, {"0:01    lightfalloff 1"}, 9, nullptr, "light doubling 1"},
        {"falloff switched off only", true, {"0       lightfalloff 0"}, 1, nullptr, nullptr},
        {"both",
         true,
         {"0       lightfalloff 1", "0       lightflash 1"},
         1,
         "colour flicker 1",
         "light doubling 1"},
    };
    TempDir tmp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Show show;
        if (c.pointLight) show.files["tunnel.lws"] = text(pointLightScene);
        show.script.insert(show.script.begin() + long(c.at), c.events.begin(), c.events.end());
        const ToolRun r = check({show.pack(tmp)});
        EXPECT_EQ(0, r.code) << r.out;
        const std::string found = summaryLine(r, "features found: ");
        const std::string absent = summaryLine(r, "features not found: ");
        EXPECT_EQ(c.pointLight, found.find("point light 1") != std::string::npos) << found;
        if (c.flicker)
            EXPECT_NE(std::string::npos, found.find(c.flicker)) << found;
        else
            EXPECT_NE(std::string::npos, absent.find("colour flicker")) << absent;
        if (c.doubling)
            EXPECT_NE(std::string::npos, found.find(c.doubling)) << found;
        else
            EXPECT_NE(std::string::npos, absent.find("light doubling")) << absent;
        // Required names follow the same rule.
        const ToolRun required = check({show.pack(tmp), "--require", "colour flicker"});
        EXPECT_EQ(c.flicker ? 0 : 1, required.code) << required.summary;
    }
}

TEST(NltoolCheck, MissingScenesAndSurfacesAreReportedAtTheirLines) {
    TempDir tmp;
    Show show;
    show.change(5, "0       start intor")
        .change(8, "0:01    setrt tunnel rock.lwo@Skin")
        .change(10, "0:02    picflash 0.5 Ship") // surfaces match with their letter case
        .change(14, "0:05    hold intro");       // after "freemeta": no metascene is current
    const ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("scene.scr(5): scene != NULL && \"start: Name nicht vorhanden\"\n"
              "scene.scr(8): surface != NULL && \"setrt: Surface nicht vorhanden\"\n"
              "scene.scr(10): surface != NULL && \"picture fader: Surface nicht vorhanden\"\n"
              "scene.scr(14): scene != NULL && \"hold: Name nicht vorhanden\"\n"
              "4 problems in 13 events\n",
              r.out);

    // A scene missing from setrt is reported before its surface is looked at.
    Show other;
    other.change(8, "0:01    setrt tunel2 nothing");
    EXPECT_EQ("scene.scr(8): scene != NULL && \"setrt: Name nicht vorhanden\"\n"
              "1 problem in 13 events\n",
              check({other.pack(tmp)}).out);
}

TEST(NltoolCheck, AMetascriptWhoseSceneFailsGivesTheLoadersBoxThenThePlayers) {
    TempDir tmp;
    Show show;
    show.files["bad.lws"] = text("LWSC\n2\n"); // a format version the loader refuses
    show.files["part1.txt"] = text("intro.lws bad.lws");
    ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(1, r.code);
    std::istringstream lines(r.out);
    std::vector<std::string> out;
    for (std::string line; std::getline(lines, line);) out.push_back(line);
    ASSERT_EQ(13u, out.size()) << r.out;
    EXPECT_EQ("scene.scr(2): 0 && \"unbekanntes LWS file!!!\"", out[0]);
    EXPECT_EQ("scene.scr(2): metascene != NULL && \"Failed loading metascript!\"", out[1]);
    // The player keeps an empty entry, so the metascene is not there to activate,
    // and every later lookup fails with it.
    EXPECT_EQ("scene.scr(3): m != mts.size() && \"activemeta: Name nicht vorhanden\"", out[2]);
    EXPECT_EQ("scene.scr(5): scene != NULL && \"start: Name nicht vorhanden\"", out[3]);
    EXPECT_EQ("scene.scr(10): surface != NULL && \"picture fader: Surface nicht vorhanden\"",
              out[8]);
    EXPECT_EQ("scene.scr(13): m != mts.size() && \"freemeta: Name nicht vorhanden\"", out[11]);
    EXPECT_EQ("12 problems in 13 events", out.back());
    EXPECT_EQ("", r.err);

    // A scene that is not there at all: the loader's log line, then the box.
    show.files["part1.txt"] = text("intro.lws nowhere.lws");
    r = check({show.pack(tmp)});
    EXPECT_EQ(0u,
              r.out.find("scene.scr(2): File not found!\n"
                         "scene.scr(2): metascene != NULL && \"Failed loading metascript!\"\n"
                         "scene.scr(3): m != mts.size() && \"activemeta: Name nicht vorhanden\"\n"))
        << r.out;
}

TEST(NltoolCheck, AMisspeltKeywordIsTheParsersErrorAndTheEventsBeforeItAreChecked) {
    TempDir tmp;
    Show show;
    show.change(5, "0       start intor").change(9, "0:01    strat TUNNEL");
    ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("scene.scr(5): scene != NULL && \"start: Name nicht vorhanden\"\n"
              "scene.scr(9): Unknown keyword \"strat\"!\n"
              "2 problems in 7 events\n",
              r.out);

    Show late;
    late.change(12, "0:01    stop intro"); // earlier than the event before it
    r = check({late.pack(tmp)});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("scene.scr(12): Script not in chronoligical order!\n1 problem in 10 events\n", r.out);
}

TEST(NltoolCheck, MusicMustOpenAndBeOfAKindTheSoundLibraryPlays) {
    TempDir tmp;
    Show show;
    show.files["tune.ogg"] = show.files["tune.xm"];
    show.script.insert(
        show.script.begin() + 4,
        {"0       playmod tune2.mod", "0       playmp3 tune.ogg", "0       playit lost.wav"});
    const ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("scene.scr(5): playmod: cannot open music \"tune2.mod\"\n"
              "scene.scr(6): playmp3: \"tune.ogg\" is no music the sound library plays (it knows "
              ".mod, .xm, .it and .mp3)\n"
              "scene.scr(7): playit: cannot open music \"lost.wav\"\n"
              "scene.scr(7): playit: \"lost.wav\" is no music the sound library plays (it knows "
              ".mod, .xm, .it and .mp3)\n"
              "4 problems in 16 events\n",
              r.out);
}

TEST(NltoolCheck, LooseFilesInTheWorkingFolderServeAsThePlayersFallback) {
    TempDir tmp(true);
    Show show;
    show.files.erase("tune.xm");
    show.files.erase("sglow.jpg");
    const std::string archive = show.pack(tmp);
    tmp.write("tune.xm", testdata("music/xm/libxmp_stereo.xm"));
    tmp.write("sglow.jpg", testdata("images/jpeg/pillow_hopper.jpg"));
    const ToolRun r = check({archive});
    EXPECT_EQ(0, r.code) << r.out;
    EXPECT_EQ("no problems in 13 events\n", r.out);
}

TEST(NltoolCheck, MissingPicturesAreReportedWhereThePlayerMeetsThem) {
    TempDir tmp;
    Show show;
    show.files.erase("hull.jpg");
    show.files.erase("sglow.jpg");
    const ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(1, r.code);
    // The start-up picture has no event: line 0. The surface's picture is
    // missed when the object loads and again when its texture is built.
    EXPECT_EQ("scene.scr(0): sglow.jpg missing!\n"
              "scene.scr(0): missing texture: sglow.jpg\n"
              "scene.scr(0): Texture pointer zero\n"
              "scene.scr(2): hull.jpg missing!\n"
              "scene.scr(3): missing texture: hull.jpg\n"
              "scene.scr(3): Texture pointer zero\n"
              "6 problems in 13 events\n",
              r.out);
}

TEST(NltoolCheck, BinaryMetascenesAndFreeingFollowThePlayer) {
    TempDir tmp;
    Show show;
    show.files["empty.kpx"] = Bytes{'K', 'P', 'X', 'S', 2, 0, 1, 0};
    show.files["fake.kpx"] = text("KPXT and more");
    show.script = {"0 loadmeta empty.kpx",
                   "0 loadmeta fake.kpx",
                   "0 loadmeta gone.kpx",
                   "0 activemeta empty",
                   "0 start intro",
                   "0 freemeta fake",
                   "0 loadmetascript part1.txt",
                   "0 freemeta empty",
                   "0 activemeta part1",
                   "0 start intro",
                   "0 freemeta part1",
                   "0 freemeta part1"};
    const ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(1, r.code);
    // A binary metascene activates, but has no scene; freeing the current
    // metascene leaves none current, and a freed one is gone.
    EXPECT_EQ("scene.scr(2): loadmeta: \"fake.kpx\" is not a binary metascene\n"
              "scene.scr(3): loadmeta: cannot open \"gone.kpx\"\n"
              "scene.scr(5): scene != NULL && \"start: Name nicht vorhanden\"\n"
              "scene.scr(6): m != mts.size() && \"freemeta: Name nicht vorhanden\"\n"
              "scene.scr(12): m != mts.size() && \"freemeta: Name nicht vorhanden\"\n"
              "5 problems in 12 events\n",
              r.out);
}

TEST(NltoolCheck, ALoopWithNoTimeInItIsAWarning) {
    TempDir tmp;
    Show show;
    show.change(14, "0:05    restart");
    show.script.push_back("0:05    stopsound");
    const ToolRun r = check({show.pack(tmp)});
    EXPECT_EQ(0, r.code);
    EXPECT_EQ("scene.scr(15): warning: \"stopsound\" loops back to \"restart\" (line 14) at the "
              "same time; the player turns this loop once a frame and never gets past it\n"
              "no problems in 14 events, 1 warning\n",
              r.out);
}

TEST(NltoolCheck, UsageAndUnreadableInputs) {
    TempDir tmp;
    EXPECT_EQ(2, check({}).code);
    EXPECT_EQ(2, check({"a.sar", "b.scr", "c"}).code);
    tmp.write("not.sar", "PKZIP, not a SARC archive");
    ToolRun r = check({tmp.path("not.sar").string()});
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos, r.err.find("not a valid SARC archive")) << r.err;
    Show show;
    const std::string archive = show.pack(tmp);
    r = check({archive, "absent.scr"});
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("nltool: absent.scr: cannot be opened\n", r.err);
    EXPECT_EQ("", r.out);
}

TEST(NltoolCheck, TheSharedQuickDrawSceneLoadsAndActivatesInItsFolder) {
    TempDir tmp;
    Show show;
    show.files["quick.txt"] = text("\"QuickDraw v.2.2.lws\"");
    show.script = {"0 loadmetascript quick.txt", "0 activemeta quick", "0 start quick",
                   "0 cam QUICKDRAW 0", "0:10 stopdemo"};
    const std::string archive = show.pack(tmp);
    // Its objects are found beside the scene's folder, as loose files; the
    // reflection picture one of them names is not among the shared files.
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::string(NL_TESTDATA_DIR) + "/lws/quickdraw/LWS");
    const ToolRun r = check({archive});
    std::filesystem::current_path(previous);
    EXPECT_EQ(1, r.code);
    EXPECT_EQ("scene.scr(1): Images/Reflections/MTL_ChromeUniversal.JPG missing!\n"
              "scene.scr(2): missing texture: Images/Reflections/MTL_ChromeUniversal.JPG\n"
              "scene.scr(2): Texture pointer zero\n"
              "3 problems in 5 events\n",
              r.out);

    // With the picture in the archive under the name the object gives, the
    // show is complete.
    show.files["Images\\Reflections\\MTL_ChromeUniversal.JPG"] =
        testdata("lws/quickdraw/LWO/LWO2/LWSReferences/MTL_ChromeUniversal.JPG");
    const std::string complete = show.pack(tmp);
    std::filesystem::current_path(std::string(NL_TESTDATA_DIR) + "/lws/quickdraw/LWS");
    const ToolRun fixed = check({complete});
    std::filesystem::current_path(previous);
    EXPECT_EQ(0, fixed.code) << fixed.out;
    EXPECT_EQ("no problems in 5 events\n", fixed.out);
}

TEST(CheckCapture, KeepsBoxesAndLogLinesInOrderWithoutTheUsedFilesLists) {
    CheckCapture capture;
    diagLog() << "first.tga missing!\n";
    showMessage(nullptr, "Texture pointer zero\n", "Error", MessageIcon::Warning);
    diagLog() << "second ";
    reportAssertion("two\nlines");
    diagLog() << "half\n-------- unsorted files ----------\na.lws\n";
    diagLog() << "-------- used files ----------\na.lws\n";
    EXPECT_EQ((std::vector<std::string>{"first.tga missing!", "Texture pointer zero", "two lines",
                                        "second half"}),
              capture.take());
    // The lists end with their step: what follows counts again.
    diagLog() << "later.tga missing!\n";
    EXPECT_EQ(std::vector<std::string>{"later.tga missing!"}, capture.take());
    EXPECT_TRUE(capture.take().empty());
}

} // namespace

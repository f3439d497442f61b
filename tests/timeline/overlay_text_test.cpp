#include "base/message_box.h"
#include "timeline/overlay_text.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Parses `text` as a script; the tokenizer keeps the words alive.
std::vector<ScriptEvent> parse(TextTokenizer& t, const std::string& text) {
    t.loadText(text.data(), uint32_t(text.size()));
    MessageRecorder quiet;
    std::vector<ScriptEvent> events;
    EXPECT_TRUE(parseScript(t, events)) << text;
    EXPECT_EQ(0u, quiet.count()) << text;
    return events;
}

uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Argument k of the same type compares equal: words by text, floats by bits.
::testing::AssertionResult sameEvent(const ScriptEvent& a, const ScriptEvent& b) {
    if (a.time != b.time || a.id != b.id)
        return ::testing::AssertionFailure() << "time/id " << b.time << "/" << b.id;
    const int argspec = keywordById(a.id)->argspec;
    for (int k = 0; k < argCount(argspec); ++k) {
        bool same = true;
        switch (argType(argspec, k)) {
        case ARG_WORD:
            same = std::strcmp(a.args[k].word, b.args[k].word) == 0;
            break;
        case ARG_INT:
            same = a.args[k].i == b.args[k].i;
            break;
        case ARG_FLOAT:
        case ARG_TIME:
            same = bits(a.args[k].f) == bits(b.args[k].f);
            break;
        }
        if (!same) return ::testing::AssertionFailure() << "argument " << k;
    }
    return ::testing::AssertionSuccess();
}

// An event for `keyword` with arguments drawn from `set` (0 or 1) of values
// chosen to be hard to write back: spaces, ";", negatives, colours with the
// top bit set, floats with no short decimal.
ScriptEvent sampleEvent(const KeywordInfo& keyword, int set, int time) {
    static const char* const words[2][3] = {{"storm", "two words", "a;b"},
                                            {"Scene_01.lws", "tab\there", "x"}};
    static const int32_t ints[2][3] = {{1, -17, int32_t(0xFF102030)}, {0, 2147483647, -1}};
    static const float floats[2][5] = {{0.1f, 3000.0f, -2.5e-7f, 1e10f, 0.0f},
                                       {1.0f / 3.0f, -0.0f, 16777217.0f, 123.456f, 7.0f}};
    ScriptEvent e = {};
    e.time = time;
    e.id = keyword.id;
    for (int k = 0; k < argCount(keyword.argspec); ++k) {
        switch (argType(keyword.argspec, k)) {
        case ARG_WORD:
            e.args[k].word = words[set][k % 3];
            break;
        case ARG_INT:
            e.args[k].i = ints[set][k % 3];
            break;
        case ARG_FLOAT:
        case ARG_TIME:
            e.args[k].f = floats[set][k % 5];
            break;
        }
    }
    return e;
}

OverlayScene scene(const char* name, bool active, bool held, double time) {
    return OverlayScene{name, active, held, time};
}

} // namespace

TEST(OverlayTime, WrittenAsTheScriptWritesTimes) {
    EXPECT_EQ("1:23.040", formatScriptTime(83040));
    EXPECT_EQ("0:00.005", formatScriptTime(5));
    EXPECT_EQ("0:00.000", formatScriptTime(0));
    EXPECT_EQ("1:00.005", formatScriptTime(60005));
    EXPECT_EQ("0:59.999", formatScriptTime(59999));
    EXPECT_EQ("125:00.000", formatScriptTime(7500000)); // minutes do not wrap
    EXPECT_EQ("-0:00.250", formatScriptTime(-250));
    EXPECT_EQ("-1:23.040", formatScriptTime(-83040));
    EXPECT_EQ("-35791:23.648", formatScriptTime(-2147483647 - 1));
}

TEST(OverlayTime, ReadsBackThroughTheTokenizer) {
    // Around every carry, and up to where the reader's float stays exact.
    std::vector<int> values = {0, 1, 9, 10, 99, 100, 999, 1000, 1001, 59999, 60000, 60005};
    for (int ms : {83040, 3599999, 3600000, 16777215, 16777216}) values.push_back(ms);
    for (int ms = 0; ms < 16777216; ms += 4093) values.push_back(ms);
    std::string text;
    for (int ms : values) text += formatScriptTime(ms) + "\n";
    TextTokenizer t(nullptr);
    t.loadText(text.data(), uint32_t(text.size()));
    for (int ms : values) EXPECT_EQ(float(ms), t.readTime()) << formatScriptTime(ms);
    EXPECT_TRUE(t.atEnd());
}

// Every keyword, with two sets of arguments, written and parsed back: alone
// (the line an author pastes) and all in one script (lines stay apart).
TEST(OverlayEvent, EveryKeywordParsesBackToTheSameEvent) {
    std::vector<ScriptEvent> written;
    int time = 0;
    for (int set = 0; set < 2; ++set) {
        for (const KeywordInfo* k = kKeywords; k->name; ++k) {
            written.push_back(sampleEvent(*k, set, time));
            time += 60999;
        }
    }
    std::string script;
    for (const ScriptEvent& e : written) {
        const std::string line = formatEvent(e);
        TextTokenizer t(nullptr);
        const std::vector<ScriptEvent> alone = parse(t, line);
        ASSERT_EQ(1u, alone.size()) << line;
        EXPECT_TRUE(sameEvent(e, alone[0])) << line;
        script += line + "\n";
    }
    TextTokenizer t(nullptr);
    const std::vector<ScriptEvent> all = parse(t, script);
    ASSERT_EQ(written.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i) {
        EXPECT_TRUE(sameEvent(written[i], all[i])) << formatEvent(written[i]);
        EXPECT_EQ(int(i) + 1, all[i].line);
    }
}

TEST(OverlayEvent, LinesReadAsAuthorsWriteThem) {
    TextTokenizer t(nullptr);
    const std::vector<ScriptEvent> events = parse(t, "1:22.560 CAM storm 1\n"
                                                     "1:23.520 flash 0.2 -1\n"
                                                     "1:23.520 clear \"far sky\" 3 0xff203040\n"
                                                     "2:00 fadeout 3000 0x80ffffff\n"
                                                     "2:00 view storm 1 -2.5 0.000001 1e10\n"
                                                     "2:01 tmzsetpos 4 0x10\n"
                                                     "2:02 setpos storm 1.5\n"
                                                     "2:03 stopdemo\n");
    ASSERT_EQ(8u, events.size());
    const Lines want = {"1:22.560  cam storm 1",
                        "1:23.520  flash 0.2 0xffffffff",
                        "1:23.520  clear \"far sky\" 3 0xff203040",
                        "2:00.000  fadeout 3000 0x80ffffff",
                        "2:00.000  view storm 1 -2.5 1e-06 1e+10",
                        "2:01.000  tmzsetpos 4 16",
                        "2:02.000  setpos storm 1.5",
                        "2:03.000  stopdemo"};
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(want[i], formatEvent(events[i]));
    // A missing word (the script ended early) shows as empty quotes.
    ScriptEvent empty = {};
    empty.id = EV_LOADMETA;
    empty.args[0].word = "";
    EXPECT_EQ("0:00.000  loadmeta \"\"", formatEvent(empty));
}

TEST(FrameRate, NothingBeforeTwoFrames) {
    FrameRate rate;
    EXPECT_EQ(0.0, rate.perSecond());
    rate.frame(10.0);
    EXPECT_EQ(0.0, rate.perSecond());
    rate.frame(10.0); // no time between them: no rate either
    EXPECT_EQ(0.0, rate.perSecond());
    rate.frame(10.5);
    EXPECT_DOUBLE_EQ(4.0, rate.perSecond()); // two intervals in half a second
}

// Frame times are multiples of powers of two, exact in binary, so the window
// edges fall exactly where the test says.
TEST(FrameRate, CountsOnlyTheLastSecond) {
    FrameRate rate;
    double t = 100.0;
    rate.frame(t);
    for (int i = 0; i < 3 * 32; ++i) rate.frame(t += 1.0 / 32);
    EXPECT_DOUBLE_EQ(32.0, rate.perSecond());
    // Half a second at 128 after the 32: 16 + 64 intervals in the last second.
    for (int i = 0; i < 64; ++i) rate.frame(t += 1.0 / 128);
    EXPECT_DOUBLE_EQ(80.0, rate.perSecond());
    for (int i = 0; i < 64; ++i) rate.frame(t += 1.0 / 128);
    EXPECT_DOUBLE_EQ(128.0, rate.perSecond()); // the 32 have left the second
    // A five-second stall: the one interval there is.
    rate.frame(t += 5.0);
    EXPECT_DOUBLE_EQ(0.2, rate.perSecond());
    rate.frame(t += 0.25);
    EXPECT_DOUBLE_EQ(2.0 / 5.25, rate.perSecond());
}

TEST(FrameRate, FastRatesAndAClockThatGoesBack) {
    FrameRate rate;
    double t = 0;
    for (int i = 0; i < 2048; ++i) rate.frame(t += 1.0 / 1024);
    EXPECT_DOUBLE_EQ(1024.0, rate.perSecond()); // more frames than it keeps
    rate.frame(1.0);                            // earlier than the last frame: anew
    EXPECT_EQ(0.0, rate.perSecond());
    rate.frame(1.125);
    EXPECT_DOUBLE_EQ(8.0, rate.perSecond());
}

class OverlayLines : public ::testing::Test {
protected:
    void SetUp() override {
        cam.time = 82560;
        cam.id = EV_CAM;
        cam.args[0].word = "storm";
        cam.args[1].i = 1;
        cam.line = 41;
        flash.time = 83520;
        flash.id = EV_FLASH;
        flash.args[0].f = 0.2f;
        flash.args[1].i = -1;
        flash.line = 42;
        state.demoTime = 83.0405;
        state.haveMusic = true;
        state.musicPosition = 83.0415;
        state.last = &cam;
        state.next = &flash;
        state.framesPerSecond = 58.94;
        state.metaScene = "storm.txt";
        state.scenes = {scene("storm", true, false, 10.88), scene("stars", true, true, 3.0),
                        scene("clouds", false, false, 0.0)};
    }
    ScriptEvent cam = {}, flash = {};
    OverlayState state = {};
};

TEST_F(OverlayLines, ShowEveryItem) {
    const Lines want = {"time 1:23.040   music 1:23.041   58.9 fps",
                        "last  line 41: 1:22.560  cam storm 1",
                        "next  line 42: 1:23.520  flash 0.2 0xffffffff",
                        "meta  storm.txt",
                        "  storm       running  10.880 s",
                        "  stars       held      3.000 s",
                        "  clouds      off"};
    EXPECT_EQ(want, overlayLines(state));
}

TEST_F(OverlayLines, SayWhatIsMissing) {
    state.haveMusic = false;
    state.last = state.next = nullptr;
    state.metaScene.clear(); // its scenes are not listed without it
    state.demoTime = -0.25;  // the clock before the show starts
    state.framesPerSecond = 0;
    const Lines want = {"time -0:00.250   music -   0.0 fps", "last  -", "next  -", "meta  -"};
    EXPECT_EQ(want, overlayLines(state));
}

TEST_F(OverlayLines, PastTheLastEventIsTheEndOfTheScript) {
    state.next = nullptr;
    EXPECT_EQ("next  end of script", overlayLines(state)[2]);
    state.last = nullptr;
    state.next = &cam; // before the first event
    const Lines lines = overlayLines(state);
    EXPECT_EQ("last  -", lines[1]);
    EXPECT_EQ("next  line 41: 1:22.560  cam storm 1", lines[2]);
}

TEST_F(OverlayLines, CutTheSceneListAfterTwelve) {
    state.scenes.clear();
    for (int i = 0; i < OVERLAY_MAX_SCENES; ++i)
        state.scenes.push_back(scene(("s" + std::to_string(i)).c_str(), true, false, i));
    Lines lines = overlayLines(state);
    ASSERT_EQ(size_t(4 + OVERLAY_MAX_SCENES), lines.size()); // twelve: all, no count
    EXPECT_EQ("  s11         running  11.000 s", lines.back());
    for (int i = 0; i < 3; ++i) state.scenes.push_back(scene("more", false, false, 0));
    lines = overlayLines(state);
    ASSERT_EQ(size_t(5 + OVERLAY_MAX_SCENES), lines.size());
    EXPECT_EQ("  s11         running  11.000 s", lines[lines.size() - 2]);
    EXPECT_EQ("  ... and 3 more", lines.back());
}

TEST_F(OverlayLines, NoticeFirstAndLongLinesCut) {
    state.notice = "scene.scr(12): Unknown keyword \"flsh\"!";
    const std::string longName(150, 'n');
    state.scenes[0].name = longName;
    const Lines lines = overlayLines(state);
    ASSERT_EQ(8u, lines.size());
    EXPECT_EQ(state.notice, lines[0]);
    EXPECT_EQ("time 1:23.040   music 1:23.041   58.9 fps", lines[1]);
    const std::string& cut = lines[5];
    ASSERT_EQ(size_t(OVERLAY_MAX_COLUMNS), cut.size());
    EXPECT_EQ("  " + longName.substr(0, OVERLAY_MAX_COLUMNS - 5) + "...", cut);
    for (const std::string& line : lines) EXPECT_LE(line.size(), size_t(OVERLAY_MAX_COLUMNS));
}

#include "base/message_box.h"
#include "timeline/event_script.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Parsed {
    bool ok;
    std::vector<ScriptEvent> events;
    std::vector<Message> messages;
};

// The tokenizer must outlive the events' words: keep one per test.
Parsed parse(TextTokenizer& t, const std::string& text) {
    t.loadText(text.data(), uint32_t(text.size()));
    MessageRecorder recorder;
    Parsed p;
    p.ok = parseScript(t, p.events);
    p.messages = recorder.messages();
    return p;
}

} // namespace

TEST(KeywordTable, ArgspecsDescribeTheArguments) {
    const KeywordInfo* cam = findKeyword("cam");
    ASSERT_NE(cam, nullptr);
    EXPECT_EQ(cam->id, 7);
    EXPECT_EQ(argCount(cam->argspec), 2);
    EXPECT_EQ(argType(cam->argspec, 0), ARG_WORD);
    EXPECT_EQ(argType(cam->argspec, 1), ARG_INT);
    const KeywordInfo* view = findKeyword("VIEW");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(argCount(view->argspec), 5);
    for (int k = 1; k < 5; ++k) EXPECT_EQ(argType(view->argspec, k), ARG_FLOAT);
    const KeywordInfo* tmz = findKeyword("tmzsetpos");
    ASSERT_NE(tmz, nullptr);
    EXPECT_EQ(argType(tmz->argspec, 1), ARG_INT);
    int count = 0;
    for (const KeywordInfo* k = kKeywords; k->name; ++k) ++count;
    EXPECT_EQ(count, 40);
    EXPECT_EQ(keywordById(6), nullptr); // unused ids
    EXPECT_STREQ(keywordById(59)->name, "tmzfadeout");
    EXPECT_EQ(findKeyword("stopdemox"), nullptr);
}

TEST(EventScript, ParsesEventsWithTypedArguments) {
    TextTokenizer t(nullptr);
    Parsed p = parse(t, "0 playxm \"music one.xm\" ; the track\n"
                        "1:00.5 flash 0.25 0xFFFF8000\n"
                        "1:00.5 STOPDEMO\n");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.events.size(), 3u);
    EXPECT_EQ(p.events[0].id, 50);
    EXPECT_STREQ(p.events[0].args[0].word, "music one.xm");
    EXPECT_EQ(p.events[1].time, 60005); // 1 minute, 0 seconds, 5 milliseconds
    EXPECT_EQ(p.events[1].id, 23);
    EXPECT_FLOAT_EQ(p.events[1].args[0].f, 0.25f);
    EXPECT_EQ(uint32_t(p.events[1].args[1].i), 0xFFFF8000u);
    EXPECT_EQ(p.events[2].id, 0); // same time, file order kept
    EXPECT_TRUE(p.messages.empty());
}

TEST(EventScript, ArgumentsMayContinueOnLaterLines) {
    TextTokenizer t(nullptr);
    Parsed p = parse(t, "500\nclear\ntunnel\n3\n0x00102030\n600 stop tunnel");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.events.size(), 2u);
    EXPECT_EQ(p.events[0].id, 12);
    EXPECT_STREQ(p.events[0].args[0].word, "tunnel");
    EXPECT_EQ(p.events[0].args[1].i, 3);
    EXPECT_EQ(p.events[0].args[2].i, 0x00102030);
}

TEST(EventScript, EmptyOrCommentOnlyScriptGivesNoEvents) {
    TextTokenizer t(nullptr);
    Parsed p = parse(t, "; nothing yet\n\n");
    EXPECT_TRUE(p.ok);
    EXPECT_TRUE(p.events.empty());
}

TEST(EventScript, ErrorsNameTheLineAndKeepEarlierEvents) {
    TextTokenizer t(nullptr);
    Parsed order = parse(t, "0 stopdemo\n; gap\n2000 flash 1 0\n1000 flash 1 0\n");
    EXPECT_FALSE(order.ok);
    EXPECT_EQ(order.events.size(), 2u);
    ASSERT_EQ(order.messages.size(), 1u);
    EXPECT_EQ(order.messages[0].text, "scene.scr(4): Script not in chronoligical order!");
    EXPECT_EQ(order.messages[0].caption, "Error");
    EXPECT_EQ(order.messages[0].icon, MessageIcon::Warning);

    TextTokenizer t2(nullptr);
    Parsed unknown = parse(t2, "0 stopdemo\n\n100\n  explode now\n");
    EXPECT_FALSE(unknown.ok);
    EXPECT_EQ(unknown.events.size(), 1u);
    ASSERT_EQ(unknown.messages.size(), 1u);
    // The line is where the event's time stands.
    EXPECT_EQ(unknown.messages[0].text, "scene.scr(3): Unknown keyword \"explode\"!");

    TextTokenizer t3(nullptr);
    Parsed negative = parse(t3, "-5 stopdemo");
    EXPECT_FALSE(negative.ok);
    EXPECT_NE(negative.messages[0].text.find("chronoligical"), std::string::npos);
}

TEST(EventScript, ScriptEndingInsideAnEventKeepsItWithEmptyArguments) {
    TextTokenizer t(nullptr);
    Parsed p = parse(t, "0 cam");
    ASSERT_TRUE(p.ok);
    ASSERT_EQ(p.events.size(), 1u);
    EXPECT_STREQ(p.events[0].args[0].word, "");
    EXPECT_EQ(p.events[0].args[1].i, 0);
}

TEST(EventScript, OutOfRangeTimesClampInsteadOfOverflowing) {
    TextTokenizer t(nullptr);
    Parsed p = parse(t, "0 stopdemo 99999999999 stopdemo");
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.events[1].time, 2147483647);
}

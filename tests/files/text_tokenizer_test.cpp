#include "files/disk_file.h"
#include "files/text_tokenizer.h"
#include "tests/support/temp_dir.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> words(const std::string& text) {
    TextTokenizer t(nullptr);
    t.loadText(text.data(), uint32_t(text.size()));
    std::vector<std::string> out;
    while (!t.atEnd()) out.push_back(t.readWord());
    return out;
}

using W = std::vector<std::string>;

} // namespace

TEST(TextTokenizer, SeparatorsQuotesAndComments) {
    EXPECT_EQ(words("a  b\tc\r\nd"), (W{"a", "b", "c", "d"}));
    EXPECT_EQ(words("say \"two words\" end"), (W{"say", "two words", "end"}));
    EXPECT_EQ(words("\"\" x"), (W{"x"})); // empty quotes give no token
    EXPECT_EQ(words("a \"b ; c\" d"), (W{"a", "b ; c", "d"}));
    EXPECT_EQ(words("a ; comment \"with quote\nb"), (W{"a", "b"}));
    EXPECT_EQ(words("x \"open\nto the end"), (W{"x", "open\nto the end"}));
    EXPECT_EQ(words("ab\"cd\"ef"), (W{"ab", "cd", "ef"}));
    EXPECT_EQ(words("last;"), (W{"last"}));
}

TEST(TextTokenizer, BlankAndCommentOnlyTextIsAtEndAtOnce) {
    TextTokenizer t(nullptr);
    std::string text = "  ; nothing here\n\t\r\n ;more\n";
    t.loadText(text.data(), uint32_t(text.size()));
    EXPECT_TRUE(t.atEnd());
    EXPECT_STREQ(t.readWord(), "");
    EXPECT_EQ(t.readInt(), 0);
    std::string empty;
    t.loadText(empty.data(), 0);
    EXPECT_TRUE(t.atEnd());
}

TEST(TextTokenizer, Numbers) {
    TextTokenizer t(nullptr);
    std::string text = "0x1f 0X1F -12 12 0xFF0000FF 2.5 -0.25 abc 1e3";
    t.loadText(text.data(), uint32_t(text.size()));
    EXPECT_EQ(t.readInt(), 31);
    EXPECT_EQ(t.readInt(), 31);
    EXPECT_EQ(t.readInt(), -12);
    EXPECT_EQ(t.readInt(), 12);
    EXPECT_EQ(uint32_t(t.readInt()), 0xFF0000FFu); // script colours fill all 32 bits
    EXPECT_FLOAT_EQ(t.readFloat(), 2.5f);
    EXPECT_FLOAT_EQ(t.readFloat(), -0.25f);
    EXPECT_EQ(t.readInt(), 0); // not a number
    EXPECT_FLOAT_EQ(t.readFloat(), 1000.0f);
    EXPECT_TRUE(t.atEnd());
}

TEST(TextTokenizer, Times) {
    EXPECT_FLOAT_EQ(parseTimeToken("90000"), 90000.0f);
    EXPECT_FLOAT_EQ(parseTimeToken("1:30"), 90000.0f);
    EXPECT_FLOAT_EQ(parseTimeToken("1:30.250"), 90250.0f);
    EXPECT_FLOAT_EQ(parseTimeToken("2.5"), 2005.0f); // milliseconds, not a fraction
    EXPECT_FLOAT_EQ(parseTimeToken("1.5"), 1005.0f);
    EXPECT_FLOAT_EQ(parseTimeToken("0:01.500"), 1500.0f);
    EXPECT_FLOAT_EQ(parseTimeToken(":5"), 5000.0f);
    EXPECT_FLOAT_EQ(parseTimeToken("x"), 0.0f);
    TextTokenizer t(nullptr);
    std::string text = "1:30.250 flash";
    t.loadText(text.data(), uint32_t(text.size()));
    EXPECT_FLOAT_EQ(t.readTime(), 90250.0f);
    EXPECT_STREQ(t.readWord(), "flash");
}

TEST(TextTokenizer, LinesCountOnlyLineFeedsOutsideQuotes) {
    TextTokenizer t(nullptr);
    std::string text = "a\r\nb \"q\nq\" c\n\nd";
    t.loadText(text.data(), uint32_t(text.size()));
    std::vector<int> lines;
    while (!t.atEnd()) {
        lines.push_back(t.lineOf(t.tell()));
        t.readWord();
    }
    EXPECT_EQ(lines, (std::vector<int>{1, 2, 2, 2, 4}));
    EXPECT_EQ(t.lineCount(), 3);
}

TEST(TextTokenizer, LoadReadsThroughTheFileSourceAndKeepsTextOnFailure) {
    TempDir tmp(true);
    tmp.write("scene.scr", "0:01 flash 0xFFFFFFFF\n");
    DiskFile disk;
    TextTokenizer t(&disk);
    ASSERT_TRUE(t.load("scene.scr"));
    EXPECT_FLOAT_EQ(t.readTime(), 1000.0f);
    const char* keyword = t.readWord();
    EXPECT_FALSE(t.load("missing.scr"));
    EXPECT_STREQ(keyword, "flash"); // the previous text is still there
    EXPECT_EQ(uint32_t(t.readInt()), 0xFFFFFFFFu);
    EXPECT_TRUE(t.atEnd());
}

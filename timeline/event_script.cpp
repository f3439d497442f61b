#include "event_script.h"

#include "base/message_box.h"
#include "base/text.h"

#include <cmath>
#include <cstdio>
#include <limits>

const KeywordInfo kKeywords[] = {
    {0, "stopdemo", 0x0},     {1, "loadmeta", 0x1},     {2, "loadmetascript", 0x1},
    {3, "activemeta", 0x1},   {4, "freemeta", 0x1},     {5, "restart", 0x0},
    {7, "cam", 0x22},         {8, "setrt", 0x2},        {9, "hold", 0x1},
    {10, "start", 0x1},       {11, "stop", 0x1},        {12, "clear", 0xa3},
    {13, "view", 0x1545},     {14, "viewmove", 0x1545}, {15, "setpos", 0x42},
    {16, "screenshot", 0x42}, {17, "continue", 0x1},    {18, "texanims", 0x9},
    {19, "blur", 0x143},      {20, "xfade", 0x42},      {21, "fadein", 0x32},
    {22, "fadeout", 0x32},    {23, "flash", 0x32},      {24, "picfadein", 0x12},
    {25, "picfadeout", 0x12}, {26, "picflash", 0x12},   {34, "lightfalloff", 0x9},
    {35, "lightflash", 0x9},  {36, "fov", 0x9},         {37, "imposters", 0x9},
    {40, "loadpic", 0x1},     {41, "freepic", 0x1},     {50, "playxm", 0x1},
    {51, "playmp3", 0x1},     {52, "playit", 0x1},      {53, "playmod", 0x1},
    {54, "playsyn", 0x2},     {56, "stopsound", 0x0},   {58, "tmzsetpos", 0x2a},
    {59, "tmzfadeout", 0x11}, {0, nullptr, 0},
};

namespace {

// Truncates towards zero; times outside the int range clamp to it and a
// time that is not a number counts as 0.
int wholeMilliseconds(float ms) {
    if (std::isnan(ms)) return 0;
    if (ms >= 2147483647.0f) return std::numeric_limits<int>::max();
    if (ms <= -2147483648.0f) return std::numeric_limits<int>::min();
    return static_cast<int>(ms);
}

bool fail(const char* format, int line, const char* word = nullptr) {
    char text[512];
    if (word)
        std::snprintf(text, sizeof text, format, line, word);
    else
        std::snprintf(text, sizeof text, format, line);
    showMessage(nullptr, text, "Error", MessageIcon::Warning);
    return false;
}

} // namespace

const KeywordInfo* findKeyword(const char* word) {
    for (const KeywordInfo* k = kKeywords; k->name; ++k)
        if (equalsIgnoreCase(k->name, word)) return k;
    return nullptr;
}

const KeywordInfo* keywordById(int id) {
    for (const KeywordInfo* k = kKeywords; k->name; ++k)
        if (k->id == id) return k;
    return nullptr;
}

bool parseScript(TextTokenizer& tokenizer, std::vector<ScriptEvent>& events) {
    if (tokenizer.atEnd()) return true;
    int previous = 0;
    for (;;) {
        int line = tokenizer.lineOf(tokenizer.tell());
        int time = wholeMilliseconds(tokenizer.readTime());
        if (previous > time) return fail("scene.scr(%d): Script not in chronoligical order!", line);
        previous = time;
        const char* word = tokenizer.readWord();
        const KeywordInfo* keyword = findKeyword(word);
        if (!keyword) return fail("scene.scr(%d): Unknown keyword \"%s\"!", line, word);
        ScriptEvent event = {};
        event.time = time;
        event.id = keyword->id;
        event.line = line;
        for (int k = 0; k < argCount(keyword->argspec); ++k) {
            switch (argType(keyword->argspec, k)) {
            case ARG_WORD:
                event.args[k].word = tokenizer.readWord();
                break;
            case ARG_INT:
                event.args[k].i = tokenizer.readInt();
                break;
            case ARG_FLOAT:
                event.args[k].f = tokenizer.readFloat();
                break;
            case ARG_TIME:
                event.args[k].f = tokenizer.readTime();
                break;
            }
        }
        events.push_back(event);
        if (tokenizer.atEnd()) return true;
    }
}

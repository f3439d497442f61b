#include "event_script.h"

#include "base/message_box.h"
#include "base/text.h"

#include <cmath>
#include <cstdio>
#include <limits>

const KeywordInfo kKeywords[] = {
    {EV_STOPDEMO, "stopdemo", 0x0},
    {EV_LOADMETA, "loadmeta", 0x1},
    {EV_LOADMETASCRIPT, "loadmetascript", 0x1},
    {EV_ACTIVEMETA, "activemeta", 0x1},
    {EV_FREEMETA, "freemeta", 0x1},
    {EV_RESTART, "restart", 0x0},
    {EV_CAM, "cam", 0x22},
    {EV_SETRT, "setrt", 0x2},
    {EV_HOLD, "hold", 0x1},
    {EV_START, "start", 0x1},
    {EV_STOP, "stop", 0x1},
    {EV_CLEAR, "clear", 0xa3},
    {EV_VIEW, "view", 0x1545},
    {EV_VIEWMOVE, "viewmove", 0x1545},
    {EV_SETPOS, "setpos", 0x42},
    {EV_SCREENSHOT, "screenshot", 0x42},
    {EV_CONTINUE, "continue", 0x1},
    {EV_TEXANIMS, "texanims", 0x9},
    {EV_BLUR, "blur", 0x143},
    {EV_XFADE, "xfade", 0x42},
    {EV_FADEIN, "fadein", 0x32},
    {EV_FADEOUT, "fadeout", 0x32},
    {EV_FLASH, "flash", 0x32},
    {EV_PICFADEIN, "picfadein", 0x12},
    {EV_PICFADEOUT, "picfadeout", 0x12},
    {EV_PICFLASH, "picflash", 0x12},
    {EV_LIGHTFALLOFF, "lightfalloff", 0x9},
    {EV_LIGHTFLASH, "lightflash", 0x9},
    {EV_FOV, "fov", 0x9},
    {EV_IMPOSTERS, "imposters", 0x9},
    {EV_LOADPIC, "loadpic", 0x1},
    {EV_FREEPIC, "freepic", 0x1},
    {EV_PLAYXM, "playxm", 0x1},
    {EV_PLAYMP3, "playmp3", 0x1},
    {EV_PLAYIT, "playit", 0x1},
    {EV_PLAYMOD, "playmod", 0x1},
    {EV_PLAYSYN, "playsyn", 0x2},
    {EV_STOPSOUND, "stopsound", 0x0},
    {EV_TMZSETPOS, "tmzsetpos", 0x2a},
    {EV_TMZFADEOUT, "tmzfadeout", 0x11},
    {0, nullptr, 0},
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

// Shows the error in its box, or hands its text to a caller that shows it
// its own way.
bool fail(std::string* error, const char* format, int line, const char* word = nullptr) {
    char text[512];
    if (word)
        std::snprintf(text, sizeof text, format, line, word);
    else
        std::snprintf(text, sizeof text, format, line);
    if (error)
        *error = text;
    else
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

bool parseScript(TextTokenizer& tokenizer, std::vector<ScriptEvent>& events, std::string* error) {
    if (tokenizer.atEnd()) return true;
    int previous = 0;
    for (;;) {
        int line = tokenizer.lineOf(tokenizer.tell());
        int time = wholeMilliseconds(tokenizer.readTime());
        if (previous > time) return fail(error, "scene.scr(%d): Script not in chronoligical order!", line);
        previous = time;
        const char* word = tokenizer.readWord();
        const KeywordInfo* keyword = findKeyword(word);
        if (!keyword) return fail(error, "scene.scr(%d): Unknown keyword \"%s\"!", line, word);
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

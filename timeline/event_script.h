#pragma once
// The event script: time-stamped commands that drive the show. Each event is
// a time, a keyword and the keyword's arguments; the keyword table fixes how
// many arguments each takes and of which type (its argspec: the count in the
// low 3 bits, then 2 bits of type per argument).

#include "files/text_tokenizer.h"

#include <cstdint>
#include <string>
#include <vector>

enum ArgType { ARG_WORD = 0, ARG_INT = 1, ARG_FLOAT = 2, ARG_TIME = 3 };

// The commands' ids: the keyword table below gives each its keyword and
// arguments, and the player dispatches on them; both use these names only.
enum EventId {
    EV_STOPDEMO = 0,
    EV_LOADMETA = 1,
    EV_LOADMETASCRIPT = 2,
    EV_ACTIVEMETA = 3,
    EV_FREEMETA = 4,
    EV_RESTART = 5,
    EV_CAM = 7,
    EV_SETRT = 8,
    EV_HOLD = 9,
    EV_START = 10,
    EV_STOP = 11,
    EV_CLEAR = 12,
    EV_VIEW = 13,
    EV_VIEWMOVE = 14,
    EV_SETPOS = 15,
    EV_SCREENSHOT = 16,
    EV_CONTINUE = 17,
    EV_TEXANIMS = 18,
    EV_BLUR = 19,
    EV_XFADE = 20,
    EV_FADEIN = 21,
    EV_FADEOUT = 22,
    EV_FLASH = 23,
    EV_PICFADEIN = 24,
    EV_PICFADEOUT = 25,
    EV_PICFLASH = 26,
    EV_LIGHTFALLOFF = 34,
    EV_LIGHTFLASH = 35,
    EV_FOV = 36,
    EV_IMPOSTERS = 37,
    EV_LOADPIC = 40,
    EV_FREEPIC = 41,
    EV_PLAYXM = 50,
    EV_PLAYMP3 = 51,
    EV_PLAYIT = 52,
    EV_PLAYMOD = 53,
    EV_PLAYSYN = 54,
    EV_STOPSOUND = 56,
    EV_TMZSETPOS = 58,
    EV_TMZFADEOUT = 59,
};

inline bool isPlayEvent(int id) {
    return id >= EV_PLAYXM && id <= EV_PLAYMOD;
}

struct KeywordInfo {
    int id;
    const char* name; // null ends the table
    int argspec;
};

// The keyword table in search order, ended by an entry with no name.
extern const KeywordInfo kKeywords[];

inline int argCount(int argspec) {
    return argspec & 7;
}
inline ArgType argType(int argspec, int k) {
    return ArgType((argspec >> (3 + 2 * k)) & 3);
}

// One argument. Words point into the tokenizer's text, which must outlive the
// events; a slot is wide enough for a pointer on 64-bit Windows too.
union ScriptArg {
    const char* word;
    int32_t i;
    float f; // ARG_FLOAT, and ARG_TIME in milliseconds
};

constexpr int MAX_SCRIPT_ARGS = 8;

struct ScriptEvent {
    int time; // milliseconds from the start of the timeline
    int id;   // the keyword's id
    ScriptArg args[MAX_SCRIPT_ARGS];
    int line; // the script line of its time, for the authoring tools' reports
};

// The table entry for a keyword (case-insensitive, first match), or null.
const KeywordInfo* findKeyword(const char* word);
// The table entry with `id`, or null.
const KeywordInfo* keywordById(int id);

// Parses the loaded script into `events` (appending, in file order). On an
// error shows a warning box titled "Error" with the failing event's line and
// returns false; the events before it stay in the list. Arguments missing
// at the very end of the text read as "" and 0. With `error` the box is not
// shown: its text goes there instead.
bool parseScript(TextTokenizer& tokenizer, std::vector<ScriptEvent>& events,
                 std::string* error = nullptr);

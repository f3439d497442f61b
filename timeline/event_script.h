#pragma once
// The event script: time-stamped commands that drive the show. Each event is
// a time, a keyword and the keyword's arguments; the keyword table fixes how
// many arguments each takes and of which type (its argspec: the count in the
// low 3 bits, then 2 bits of type per argument).

#include "files/text_tokenizer.h"

#include <cstdint>
#include <vector>

enum ArgType { ARG_WORD = 0, ARG_INT = 1, ARG_FLOAT = 2, ARG_TIME = 3 };

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
// at the very end of the text read as "" and 0.
bool parseScript(TextTokenizer& tokenizer, std::vector<ScriptEvent>& events);

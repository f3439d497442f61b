#include "overlay_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Shortest text that reads back to the same float: "0.1", "3000", "1e+10".
std::string shortestFloat(float f) {
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, f);
    return std::string(text, r.ptr);
}

// The time reader takes the part after the first "." as milliseconds, so a
// plain "12.5" would be 12 s 5 ms; a fraction of a millisecond goes after a
// zero seconds part instead ("0.12.5": 0 s, 12.5 ms).
std::string timeArgument(float ms) {
    const std::string text = shortestFloat(ms);
    return text.find('.') == std::string::npos ? text : "0." + text;
}

// A word reads back whole only when quoted if the tokenizer would split it
// (white space, control characters) or cut a comment from it (";").
std::string wordArgument(const char* word) {
    const std::string text = word ? word : "";
    bool quote = text.empty();
    for (unsigned char c : text)
        if (c < '!' || c == ';') quote = true;
    return quote ? "\"" + text + "\"" : text;
}

// The colour arguments, written 0xAARRGGBB as authors write them.
bool isColourArgument(int id, int k) {
    switch (id) {
    case EV_CLEAR:
        return k == 2;
    case EV_FADEIN:
    case EV_FADEOUT:
    case EV_FLASH:
        return k == 1;
    default:
        return false;
    }
}

std::string intArgument(int id, int k, int32_t value) {
    char text[16];
    if (isColourArgument(id, k))
        std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
    else
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}

// Whole milliseconds of a clock in seconds, as the timeline counts them.
int wholeMilliseconds(double seconds) {
    const double ms = std::floor(seconds * 1000.0);
    if (std::isnan(ms)) return 0;
    if (ms <= -2147483648.0) return -2147483647 - 1;
    if (ms >= 2147483647.0) return 2147483647;
    return static_cast<int>(ms);
}

std::string eventLine(const char* label, const ScriptEvent& e) {
    return std::string(label) + "line " + std::to_string(e.line) + ": " + formatEvent(e);
}

// Scene names are padded to this many characters, so that the states line up.
constexpr size_t SCENE_NAME_COLUMNS = 11;

std::string sceneLine(const OverlayScene& scene) {
    std::string line = "  " + scene.name;
    if (scene.name.size() < SCENE_NAME_COLUMNS)
        line.append(SCENE_NAME_COLUMNS - scene.name.size(), ' ');
    line += ' ';
    if (!scene.active) return line + "off";
    char state[48];
    std::snprintf(state, sizeof state, "%-8s %6.3f s", scene.held ? "held" : "running",
                  scene.sceneTime);
    return line + state;
}

std::string cut(std::string line) {
    if (line.size() > size_t(OVERLAY_MAX_COLUMNS)) {
        line.resize(size_t(OVERLAY_MAX_COLUMNS) - 3);
        line += "...";
    }
    return line;
}

} // namespace

std::string formatScriptTime(int ms) {
    long long v = ms; // -INT_MIN does not fit an int
    const bool negative = v < 0;
    if (negative) v = -v;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld:%02lld.%03lld", negative ? "-" : "", v / 60000,
                  v / 1000 % 60, v % 1000);
    return text;
}

std::string formatEvent(const ScriptEvent& e) {
    std::string line = formatScriptTime(e.time) + "  ";
    const KeywordInfo* keyword = keywordById(e.id);
    if (!keyword) return line + "(id " + std::to_string(e.id) + ")";
    line += keyword->name;
    for (int k = 0; k < argCount(keyword->argspec) && k < MAX_SCRIPT_ARGS; ++k) {
        line += ' ';
        switch (argType(keyword->argspec, k)) {
        case ARG_WORD:
            line += wordArgument(e.args[k].word);
            break;
        case ARG_INT:
            line += intArgument(e.id, k, e.args[k].i);
            break;
        case ARG_FLOAT:
            line += shortestFloat(e.args[k].f);
            break;
        case ARG_TIME:
            line += timeArgument(e.args[k].f);
            break;
        }
    }
    return line;
}

void FrameRate::frame(double seconds) {
    if (count > 0 && seconds < times[(first + count - 1) % HISTORY]) count = 0;
    if (count == HISTORY) {
        first = (first + 1) % HISTORY;
        --count;
    }
    times[(first + count) % HISTORY] = seconds;
    ++count;
    // Keep one frame at or before the start of the last second, so that the
    // kept intervals cover the whole second.
    while (count > 2 && times[(first + 1) % HISTORY] <= seconds - 1.0) {
        first = (first + 1) % HISTORY;
        --count;
    }
}

double FrameRate::perSecond() const {
    if (count < 2) return 0;
    const double span = times[(first + count - 1) % HISTORY] - times[first];
    return span > 0 ? (count - 1) / span : 0;
}

std::vector<std::string> overlayLines(const OverlayState& s) {
    std::vector<std::string> lines;
    if (!s.notice.empty()) lines.push_back(s.notice);

    const std::string music =
        s.haveMusic ? formatScriptTime(wholeMilliseconds(s.musicPosition)) : "-";
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f fps", s.framesPerSecond);
    lines.push_back("time " + formatScriptTime(wholeMilliseconds(s.demoTime)) + "   music " +
                    music + "   " + rate);

    lines.push_back(s.last ? eventLine("last  ", *s.last) : "last  -");
    if (s.next)
        lines.push_back(eventLine("next  ", *s.next));
    else
        lines.push_back(s.last ? "next  end of script" : "next  -");

    if (s.metaScene.empty()) {
        lines.push_back("meta  -");
    } else {
        lines.push_back("meta  " + s.metaScene);
        const size_t shown = std::min(s.scenes.size(), size_t(OVERLAY_MAX_SCENES));
        for (size_t i = 0; i < shown; ++i) lines.push_back(sceneLine(s.scenes[i]));
        if (s.scenes.size() > shown)
            lines.push_back("  ... and " + std::to_string(s.scenes.size() - shown) + " more");
    }

    for (std::string& line : lines) line = cut(std::move(line));
    return lines;
}

#pragma once
// The text of the author's overlay: where the show is (demo time, music
// position, the last event run and the next one, as script lines), how fast
// it draws, and the current metascene's scenes. Portable; the drawing lives
// in render/text_overlay.h. Times are written in the script's own syntax so
// that a line seen on screen can be pasted back into the script.

#include "event_script.h"

#include <string>
#include <vector>

// At most this many scene lines; the rest are counted in one more line.
constexpr int OVERLAY_MAX_SCENES = 12;
// Longer lines are cut to this many characters, ending in "...", so that they
// fit 800 pixels at the overlay's cell width.
constexpr int OVERLAY_MAX_COLUMNS = 96;

// `ms` as the script writes a time, always "m:ss.mmm" (83040 -> "1:23.040").
// Reads back through the tokenizer's time reader to `ms` for 0..2^24 ms
// (beyond, the reader's float rounds). Negative times (the clock before the
// show starts) get a leading "-" and are for display only: the script has no
// negative times, and the reader would take the sign for the minutes alone.
std::string formatScriptTime(int ms);

// The event as one script line: its time, two spaces, the keyword and the
// arguments by the keyword's argspec. Parsing the line gives the event back.
std::string formatEvent(const ScriptEvent& e);

// Frames per second over the last second of wall-clock time. Feed it once a
// frame; time is the caller's so that it can be tested.
class FrameRate {
public:
    // A frame shown at `seconds` (any origin, not decreasing; a time before
    // the previous frame starts the count anew).
    void frame(double seconds);
    // The frames of the last second over the time they span, counting the
    // interval that crosses into it; 0 before two frames.
    double perSecond() const;

private:
    // Enough for a second at any rate the player reaches; beyond it the
    // window is shorter than a second, and the rate is still right.
    static constexpr int HISTORY = 512;
    double times[HISTORY] = {};
    int first = 0; // index of the oldest kept frame
    int count = 0;
};

struct OverlayScene {
    std::string name;
    bool active;
    bool held;
    double sceneTime; // seconds
};

struct OverlayState {
    double demoTime; // seconds
    bool haveMusic;
    double musicPosition;    // seconds
    const ScriptEvent* last; // the last event run, or null
    const ScriptEvent* next; // the next to run, or null
    double framesPerSecond;
    std::string metaScene; // empty: no current metascene
    std::vector<OverlayScene> scenes;
    std::string notice; // a message line (a reload error), shown first
};

// The overlay's lines, top to bottom. With a last event and no next one the
// program counter has passed the last event: "next" says "end of script".
std::vector<std::string> overlayLines(const OverlayState& s);

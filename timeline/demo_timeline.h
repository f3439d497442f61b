#pragma once
// The demo's clock and event program, apart from drawing: the music position
// drives the timeline (its change each frame, times the playback speed), and
// the events whose time has come run in order through a command handler.
// "restart" marks a place; "stopsound" with a mark loops back to it.
//
// The clock never jumps: whenever a command changes which tune plays (a play
// command, the loop's stop) the stored music position is taken anew from the
// sound system, so the next frame advances by what that tune has played since.

#include "event_script.h"

#include <string>
#include <vector>

class DemoCommands {
public:
    virtual ~DemoCommands() = default;
    // Carries out one event (`index` is its place in the list).
    virtual void execute(const ScriptEvent& event, int index) = 0;
    // The music position in seconds, as the sound system reports it now.
    virtual double musicPosition() = 0;
    // While the timeline seeks: a frame at `seconds` would have run here
    // (the screen effect moves on, a cross-fade may end). The seek passes
    // one at the time of the events just run and one just before the next.
    virtual void passFrames(double seconds) { (void)seconds; }
    // The show has ended ("stopdemo"): a seek goes no further.
    virtual bool ended() const { return false; }
};

// The index of the first "stopsound" that would loop back to its "restart"
// mark without any time passing (the frame's loop described above), or -1.
int findTimelessLoop(const std::vector<ScriptEvent>& events, int* markIndex = nullptr);
// The authoring tools' words for such a loop, whose mark stands at `markLine`.
std::string timelessLoopWarning(int markLine);

class DemoTimeline {
public:
    // Advances the clock from the music position of this frame (seconds).
    void advance(double musicPosition);
    // Milliseconds of the timeline for running events: 0 while time is negative.
    int now() const;
    // Runs every event due at `now`, in order, through `commands`. A loop
    // back from "stopsound" to a mark at the same or a later millisecond would
    // run the same events again without end: it jumps once and ends the run,
    // so such a loop turns once a frame.
    void runEvents(int now, DemoCommands& commands);
    // Starts the timeline at `targetMs`: every event before it runs at once,
    // each at its own time, as the frames up to there would have run it; the
    // events at `targetMs` are left to the first frame. A "stopsound" that
    // loops back comes round as often as playing would have, so the clock
    // ends where the looping show would stand; a loop in which no time
    // passes leaves it at its mark. Returns the time reached, in ms.
    int seekTo(int targetMs, DemoCommands& commands);

    std::vector<ScriptEvent> events;
    double time = 0;         // seconds
    double previousTime = 0; // seconds, the time of the previous frame
    int speed = 1;
    float previousMusicPosition = 0; // seconds
    int programCounter = 0;
    int restartMark = -1;
    bool loop = true;
};

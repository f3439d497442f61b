#pragma once
// The demo's clock and event program, apart from drawing: the music position
// drives the timeline (its change each frame, times the playback speed), and
// the events whose time has come run in order through a command handler.
// "restart" marks a place; "stopsound" with a mark loops back to it.

#include "event_script.h"

#include <vector>

constexpr int EVENT_RESTART = 5;
constexpr int EVENT_STOPSOUND = 56;

class DemoCommands {
public:
    virtual ~DemoCommands() = default;
    // Carries out one event (`index` is its place in the list).
    virtual void execute(const ScriptEvent& event, int index) = 0;
    // The music position in seconds, as the sound system reports it now.
    virtual double musicPosition() = 0;
};

class DemoTimeline {
public:
    // Advances the clock from the music position of this frame (seconds).
    void advance(double musicPosition);
    // Milliseconds of the timeline for running events: 0 while time is negative.
    int now() const;
    // Runs every event due at `now`, in order, through `commands`.
    void runEvents(int now, DemoCommands& commands);

    std::vector<ScriptEvent> events;
    double time = 0;         // seconds
    double previousTime = 0; // seconds, the time of the previous frame
    int speed = 1;
    float previousMusicPosition = 0; // seconds
    int programCounter = 0;
    int restartMark = -1;
    bool loop = true;
};

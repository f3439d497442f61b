#include "demo_timeline.h"

#include <cmath>
#include <cstdint>

void DemoTimeline::advance(double musicPosition) {
    previousTime = time;
    time += (musicPosition - previousMusicPosition) * speed;
    previousMusicPosition = float(musicPosition);
}

int DemoTimeline::now() const {
    if (time < 0) return 0;
    double ms = std::floor(time * 1000.0);
    return ms > 2147483647.0 ? 2147483647 : int(ms);
}

void DemoTimeline::runEvents(int now, DemoCommands& commands) {
    while (programCounter < int(events.size()) && events[size_t(programCounter)].time <= now) {
        int index = programCounter;
        const ScriptEvent& event = events[size_t(index)];
        if (event.id == EV_RESTART) restartMark = index;
        commands.execute(event, index);
        // A new tune starts at its own position: without this the next frame
        // would advance by the new position minus the old tune's.
        if (isPlayEvent(event.id)) previousMusicPosition = float(commands.musicPosition());
        if (event.id == EV_STOPSOUND && loop && restartMark >= 0) {
            // Loop back: the timeline restarts at the mark's time. The stored
            // position is what the sound system reports after the stop, so the
            // clock continues from the mark's time without a jump.
            const ScriptEvent& mark = events[size_t(restartMark)];
            programCounter = restartMark + 1;
            time = previousTime = mark.time / 1000.0;
            previousMusicPosition = float(commands.musicPosition());
            if (event.time <= mark.time) return; // no time passes inside this loop
            now = mark.time;
            continue;
        }
        programCounter = index + 1;
    }
}

namespace {

// The frames that would have run between two events: one at the time of
// the events just run (after them, as a frame runs its events before it
// moves the effect on), and one just before the next.
void passFramesBetween(int lastMs, int nextMs, DemoCommands& commands) {
    if (lastMs >= 0 && nextMs > lastMs) commands.passFrames(lastMs / 1000.0);
    if (nextMs - 1 > lastMs) commands.passFrames((nextMs - 1) / 1000.0);
}

} // namespace

int DemoTimeline::seekTo(int target, DemoCommands& commands) {
    int lastMs = -1; // time of the events last run
    while (programCounter < int(events.size()) && events[size_t(programCounter)].time < target) {
        const int index = programCounter;
        const ScriptEvent& event = events[size_t(index)];
        passFramesBetween(lastMs, event.time, commands);
        lastMs = event.time;
        time = previousTime = event.time / 1000.0;
        if (event.id == EV_RESTART) restartMark = index;
        commands.execute(event, index);
        programCounter = index + 1;
        if (commands.ended()) return event.time;
        if (event.id == EV_STOPSOUND && loop && restartMark >= 0) {
            const ScriptEvent& mark = events[size_t(restartMark)];
            programCounter = restartMark + 1;
            lastMs = mark.time;
            const int length = event.time - mark.time;
            if (length <= 0) {
                target = mark.time; // the frames would turn this loop for ever
                break;
            }
            // Round the loop as many times as fit: where the target falls in it.
            target = mark.time + int((int64_t(target) - event.time) % length);
        }
    }
    passFramesBetween(lastMs, target, commands);
    time = previousTime = target / 1000.0;
    return target;
}

int findTimelessLoop(const std::vector<ScriptEvent>& events, int* markIndex) {
    int mark = -1;
    for (size_t i = 0; i < events.size(); ++i) {
        if (events[i].id == EV_RESTART) mark = int(i);
        if (events[i].id == EV_STOPSOUND && mark >= 0 &&
            events[i].time <= events[size_t(mark)].time) {
            if (markIndex) *markIndex = mark;
            return int(i);
        }
    }
    return -1;
}

std::string timelessLoopWarning(int markLine) {
    return "\"stopsound\" loops back to \"restart\" (line " + std::to_string(markLine) +
           ") at the same time; the player turns this loop once a frame and never gets past it";
}

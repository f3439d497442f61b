#include "demo_timeline.h"

#include <cmath>

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
        if (event.id == EVENT_RESTART) restartMark = index;
        commands.execute(event, index);
        if (event.id == EVENT_STOPSOUND && loop && restartMark >= 0) {
            // Loop back: the timeline restarts at the mark. The music was
            // stopped and rewound by the command, so the stored position is
            // what it reports now; the clock then continues smoothly from
            // the mark's time instead of jumping by the mark's value.
            const ScriptEvent& mark = events[size_t(restartMark)];
            programCounter = restartMark + 1;
            time = previousTime = mark.time / 1000.0;
            previousMusicPosition = float(commands.musicPosition());
            now = mark.time;
            continue;
        }
        programCounter = index + 1;
    }
}

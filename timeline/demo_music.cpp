#include "demo_music.h"

#include "demo_timeline.h"

bool DemoMusic::execute(const ScriptEvent& e, VirtualFile* files) {
    if (isPlayEvent(e.id)) {
        if (sound) {
            handle = sound->load(e.args[0].word, files);
            sound->play(handle);
        }
        return true;
    }
    if (e.id == EV_STOPSOUND) {
        if (sound) sound->stop(handle);
        return true;
    }
    return false;
}

double DemoMusic::position() {
    return sound ? sound->position(handle) : 0.0;
}

#include "demo_music.h"

#include "demo_timeline.h"

bool DemoMusic::execute(const ScriptEvent& e, VirtualFile* files) {
    if (isPlayEvent(e.id)) {
        if (cueing) {
            cue = Cue{e.args[0].word ? e.args[0].word : "", e.time / 1000.0, false};
        } else if (sound) {
            handle = sound->load(e.args[0].word, files);
            sound->play(handle);
        }
        return true;
    }
    if (e.id == EV_STOPSOUND) {
        if (cueing)
            cue.stopped = true;
        else if (sound)
            sound->stop(handle);
        return true;
    }
    return false;
}

void DemoMusic::resume(double seconds, VirtualFile* files) {
    cueing = false;
    if (!sound || cue.name.empty()) return;
    // Moved before it plays, so that its opening never sounds. A stopped
    // tune counts on from where it stood; after a loop came round it may
    // have stopped in an earlier turn (then it stands at 0 and counts on).
    handle = sound->load(cue.name.c_str(), files);
    sound->seek(handle, seconds > cue.since ? seconds - cue.since : 0.0);
    if (cue.stopped)
        sound->stop(handle);
    else
        sound->play(handle);
}

double DemoMusic::position() {
    return sound ? sound->position(handle) : 0.0;
}

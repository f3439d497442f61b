#include "tmz_sound_system.h"

#include "tmz/tmz_config.h"

TmzSoundSystem::TmzSoundSystem(const TmzLibrary& library, TickSource tick)
    : SilentSoundSystem(tick), library(library) {
    library.init(config);
    config[TMZ_CONFIG_BUFFER_MS] = 1000;
    config[TMZ_CONFIG_BLOCK_MS] = 500;
    library.open(config);
}

TmzSoundSystem::~TmzSoundSystem() {
    library.stop();
    library.rewind();
    library.shutdown();
    for (uint8_t* data : musicData) delete[] data;
}

int TmzSoundSystem::load(const char* name, VirtualFile* source) {
    int type = tuneTypeOf(name);
    if (!source || !source->openRead(name)) return 0;
    uint32_t size = 0;
    uint8_t* data = readRemaining(*source, &size);
    source->close();
    if (!data) return 0;
    if (library.load(data, int32_t(size), type) != 0) {
        delete[] data; // refused: the library still plays from the tune before
        return 0;
    }
    // The library reads only the tune it loaded last (and rewinds from it):
    // the buffers of earlier tunes go, or a looping show would keep a copy
    // of its music for every loop.
    for (uint8_t* old : musicData) delete[] old;
    musicData.assign(1, data);
    return 1;
}

bool TmzSoundSystem::play(int) {
    library.play();
    stopped = false;
    return true;
}

bool TmzSoundSystem::stop(int handle) {
    if (!stopped) {
        stoppedPosition = position(handle);
        stoppedTick = tick();
        stopped = true;
    }
    library.stop();
    library.rewind();
    return true;
}

double TmzSoundSystem::position(int) {
    if (stopped) return stoppedPosition + uint32_t(tick() - stoppedTick) * 0.001;
    return library.position() / 65536.0;
}

bool TmzSoundSystem::seek(int, double seconds) {
    double units = seconds * 65536.0;
    if (units > 2147483647.0) units = 2147483647.0;
    const bool done = library.seek(int32_t(units)) == 0;
    // The library moves even when its decoder fails; it refuses only
    // negative times.
    if (stopped && seconds >= 0) {
        stoppedPosition = seconds;
        stoppedTick = tick();
    }
    return done;
}

void TmzSoundSystem::poll() {
    library.poll();
}

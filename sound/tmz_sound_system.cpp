#include "tmz_sound_system.h"

#include "tmz/tmz_api.h"

TmzSoundSystem::TmzSoundSystem() {
    tmzInit(config);
    config[TMZ_CONFIG_BUFFER_MS] = 1000;
    config[TMZ_CONFIG_BLOCK_MS] = 500;
    tmzOpen(GetForegroundWindow(), config);
}

TmzSoundSystem::~TmzSoundSystem() {
    tmzStop();
    tmzRewind();
    tmzShutdown();
    for (uint8_t* data : musicData) delete[] data;
}

int TmzSoundSystem::load(const char* name, VirtualFile* source) {
    int type = tuneTypeOf(name);
    if (!source || !source->openRead(name)) return 0;
    uint32_t size = 0;
    uint8_t* data = readRemaining(*source, &size);
    source->close();
    if (!data) return 0;
    musicData.push_back(data);
    return tmzLoad(data, int32_t(size), type) == 0 ? 1 : 0;
}

bool TmzSoundSystem::play(int) {
    tmzPlay();
    return true;
}

bool TmzSoundSystem::stop(int) {
    tmzStop();
    tmzRewind();
    return true;
}

double TmzSoundSystem::position(int) {
    return tmzPosition() / 65536.0;
}

void TmzSoundSystem::poll() {
    tmzPoll();
}

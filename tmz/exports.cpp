// The sound library's entry points over one TunePlayer.

#include "player.h"
#include "tmz_api.h"

#include <memory>

namespace {

// Released by tmzShutdown. Never by a destructor at unload: the loader
// lock is held then, and closing the audio device and joining the feeder
// thread there can hang the process's exit.
TunePlayer* player = nullptr;
int32_t bufferMs = 1000;
int32_t blockMs = 100;
// The tune as last accepted; the caller keeps the data alive.
const void* tuneData = nullptr;
size_t tuneSize = 0;
int32_t tuneType = 0;

TunePlayer& current() {
    if (!player) player = new TunePlayer(bufferMs, blockMs);
    return *player;
}

} // namespace

extern "C" {

void tmzInit(int32_t* config) {
    if (!config) return;
    for (int i = 0; i < TMZ_CONFIG_WORDS; ++i) config[i] = 0;
    config[TMZ_CONFIG_BUFFER_MS] = bufferMs;
    config[TMZ_CONFIG_BLOCK_MS] = blockMs;
}

void tmzOpen(HWND, int32_t* config) {
    if (config) {
        if (config[TMZ_CONFIG_BUFFER_MS] > 0) bufferMs = config[TMZ_CONFIG_BUFFER_MS];
        if (config[TMZ_CONFIG_BLOCK_MS] > 0) blockMs = config[TMZ_CONFIG_BLOCK_MS];
    }
    delete player;
    player = new TunePlayer(bufferMs, blockMs);
}

int tmzLoad(const void* data, int32_t size, int32_t type) {
    if (!data || size <= 0) return -1;
    std::unique_ptr<Decoder> decoder = openDecoder(data, size_t(size), type);
    if (!decoder) return -1;
    current().setTune(std::move(decoder));
    tuneData = data;
    tuneSize = size_t(size);
    tuneType = type;
    return 0;
}

// Without an accepted tune this still starts the clock, so that a show whose
// music is missing or broken keeps running in time, silently.
void tmzPlay() {
    current().play();
}

void tmzStop() {
    current().stop();
}

// After a stop: the next play starts the tune from its beginning.
void tmzRewind() {
    current().setTune(tuneData ? openDecoder(tuneData, tuneSize, tuneType) : nullptr);
}

int32_t tmzPosition() {
    return current().position();
}

// The tune moves there, playing or stopped (a stopped one starts there at
// the next play); without a tune only the position moves. A negative
// position is refused; a place past the tune's end is done, over silence.
int tmzSeek(int32_t position) {
    if (position < 0) return -1;
    return current().seek(position / 65536.0) ? 0 : 1;
}

// Feeding runs on the player's own thread; nothing to do per frame.
void tmzPoll() {}

void tmzShutdown() {
    delete player;
    player = nullptr;
    tuneData = nullptr;
    tuneSize = 0;
}
}

#pragma once
// Plays one tune through waveOut on a thread of its own, so the caller never
// waits. The position is that of the samples the device has played. Without
// an audio device the tune "plays" silently and the position follows the
// clock from the moment play was called, so the demo keeps its pace.

#include "decoder.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class TunePlayer {
public:
    TunePlayer(int bufferMilliseconds, int blockMilliseconds);
    ~TunePlayer();

    // Takes the tune (replacing any previous one, which is stopped).
    void setTune(std::unique_ptr<Decoder> decoder);
    bool hasTune() const { return decoder != nullptr; }
    void play();
    void stop();
    // Seconds since the start of the tune, in 1/65536 s.
    int32_t position();
    bool usingDevice() const { return device != nullptr; }

private:
    void feedLoop();
    void fill(WAVEHDR& block);
    void closeDevice();

    int bufferMs;
    int blockMs;
    std::unique_ptr<Decoder> decoder;
    HWAVEOUT device = nullptr;
    HANDLE blockDone = nullptr;
    std::vector<WAVEHDR> blocks;
    std::vector<std::vector<int16_t>> memory;
    std::thread feeder;
    std::atomic<bool> running{false};
    std::mutex decoding;
    bool playing = false;
    // Clock mode (no device): the counter at play and its frequency.
    LARGE_INTEGER started = {};
    LARGE_INTEGER frequency = {};
    double stoppedAt = 0; // seconds, held while stopped
};

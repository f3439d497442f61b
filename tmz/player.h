#pragma once
// Plays one tune through waveOut on a thread of its own, so the caller never
// waits. The position is that of the samples the device has played, counted
// from where the last seek put the tune. Without an audio device the tune
// "plays" silently and the position follows the clock from the moment play
// was called, so the demo keeps its pace.

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
    // Moves the tune to `seconds` (>= 0) from its start, playing or not; the
    // position then reads `seconds` and runs on from there while playing.
    // Without a tune only the position moves. False when the decoder failed
    // (the position moves all the same, over silence).
    bool seek(double seconds);
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
    double stoppedAt = 0;   // seconds, held while stopped
    double deviceStart = 0; // seconds of the tune at the device's first sample
};

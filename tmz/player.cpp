#include "player.h"

#include <cstring>

TunePlayer::TunePlayer(int bufferMilliseconds, int blockMilliseconds)
    : bufferMs(bufferMilliseconds > 0 ? bufferMilliseconds : 1000),
      blockMs(blockMilliseconds > 0 ? blockMilliseconds : 100) {
    if (blockMs > bufferMs) blockMs = bufferMs;
    QueryPerformanceFrequency(&frequency);
}

TunePlayer::~TunePlayer() {
    stop();
    closeDevice();
}

void TunePlayer::setTune(std::unique_ptr<Decoder> tune) {
    stop();
    closeDevice();
    decoder = std::move(tune);
    stoppedAt = 0;
    deviceStart = 0;
}

// The device cannot move within what it has queued: it is closed (dropping
// the queue), the decoder moves, and the next play opens it afresh, its
// sample count then starting from the new place.
bool TunePlayer::seek(double seconds) {
    if (!(seconds >= 0)) return false;
    const bool resume = playing;
    playing = false;
    closeDevice();
    bool done = true;
    if (decoder) {
        std::lock_guard<std::mutex> guard(decoding);
        done = decoder->seek(seconds);
    }
    stoppedAt = seconds;
    deviceStart = seconds;
    if (resume) play();
    return done;
}

void TunePlayer::closeDevice() {
    running = false;
    if (blockDone) SetEvent(blockDone);
    if (feeder.joinable()) feeder.join();
    if (device) {
        waveOutReset(device);
        for (WAVEHDR& b : blocks)
            if (b.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(device, &b, sizeof b);
        waveOutClose(device);
        device = nullptr;
    }
    if (blockDone) {
        CloseHandle(blockDone);
        blockDone = nullptr;
    }
    blocks.clear();
    memory.clear();
}

void TunePlayer::fill(WAVEHDR& block) {
    auto* samples = reinterpret_cast<int16_t*>(block.lpData);
    int frames = int(block.dwBufferLength / 4), made = 0;
    {
        std::lock_guard<std::mutex> guard(decoding);
        if (decoder) made = decoder->render(samples, frames);
    }
    // After the end the device keeps playing silence, so time goes on.
    if (made < frames) std::memset(samples + made * 2, 0, size_t(frames - made) * 4);
    block.dwFlags &= ~WHDR_DONE;
    waveOutWrite(device, &block, sizeof block);
}

void TunePlayer::feedLoop() {
    while (running) {
        WaitForSingleObject(blockDone, 50);
        if (!running) break;
        for (WAVEHDR& b : blocks)
            if (b.dwFlags & WHDR_DONE) fill(b);
    }
}

void TunePlayer::play() {
    if (playing) return;
    playing = true;
    if (decoder && !device) {
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = DWORD(decoder->sampleRate());
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = format.nSamplesPerSec * 4;
        blockDone = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (waveOutOpen(&device, WAVE_MAPPER, &format, DWORD_PTR(blockDone), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
            device = nullptr;
        } else {
            int count = bufferMs / blockMs;
            if (count < 2) count = 2;
            DWORD frames = format.nSamplesPerSec * DWORD(blockMs) / 1000;
            memory.assign(size_t(count), std::vector<int16_t>(size_t(frames) * 2));
            blocks.assign(size_t(count), WAVEHDR{});
            for (int i = 0; i < count; ++i) {
                WAVEHDR& b = blocks[size_t(i)];
                b.lpData = reinterpret_cast<LPSTR>(memory[size_t(i)].data());
                b.dwBufferLength = frames * 4;
                waveOutPrepareHeader(device, &b, sizeof b);
            }
            // Fill everything before the device starts, then keep it fed.
            waveOutPause(device);
            for (WAVEHDR& b : blocks) fill(b);
            running = true;
            feeder = std::thread(&TunePlayer::feedLoop, this);
            waveOutRestart(device);
            return;
        }
        if (blockDone) {
            CloseHandle(blockDone);
            blockDone = nullptr;
        }
    }
    if (device) {
        waveOutRestart(device);
        return;
    }
    // Clock mode: continue from where a stop left the position.
    QueryPerformanceCounter(&started);
    started.QuadPart -= LONGLONG(stoppedAt * double(frequency.QuadPart));
}

void TunePlayer::stop() {
    if (!playing) return;
    stoppedAt = position() / 65536.0;
    playing = false;
    if (device) waveOutPause(device);
}

int32_t TunePlayer::position() {
    double seconds = stoppedAt;
    if (playing && device) {
        MMTIME time = {};
        time.wType = TIME_SAMPLES;
        waveOutGetPosition(device, &time, sizeof time);
        if (time.wType == TIME_SAMPLES && decoder)
            seconds = deviceStart + double(time.u.sample) / decoder->sampleRate();
        else if (time.wType == TIME_BYTES && decoder)
            seconds = deviceStart + double(time.u.cb) / 4 / decoder->sampleRate();
    } else if (playing) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        seconds = double(now.QuadPart - started.QuadPart) / double(frequency.QuadPart);
    }
    double units = seconds * 65536.0;
    if (units > 2147483647.0) units = 2147483647.0;
    return int32_t(units);
}

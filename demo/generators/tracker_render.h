#pragma once
// Modules rendered to sound through libxmp, the library the player's sound
// library plays them with, so what is rendered here is what the show plays:
// the opening's WAV for the MP3 encoder, and the whole show's soundtrack
// for its video.

#include <xmp.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tracker {

// A module loaded from memory into its own libxmp context.
class LoadedModule {
public:
    explicit LoadedModule(const std::vector<uint8_t>& bytes);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    bool ok() const { return loaded_; }
    const xmp_module* module() const; // null unless ok()
    int durationMs() const;           // libxmp's own reckoning of one play-through
    xmp_context context() const { return context_; }

private:
    xmp_context context_;
    bool loaded_ = false;
};

// 16-bit stereo samples, interleaved left, right.
struct Pcm {
    int rate = 44100; // frames a second
    std::vector<int16_t> samples;
    long frames() const { return long(samples.size() / 2); }
};

// Plays the module once through (no loop) at `rate`, in blocks of 2048
// frames, the last one padded with silence; stops early once `maxFrames`
// (if not negative) have been made. False if libxmp cannot load it.
bool render(const std::vector<uint8_t>& bytes, int rate, Pcm& out, long maxFrames = -1);

// A 16-bit PCM WAV file.
bool writeWav(const std::string& path, const Pcm& pcm);

// One tune of a soundtrack and the frame it starts at.
struct Placed {
    const Pcm* pcm;
    long startFrame;
};

// The parts, in order of their starts, each cut where the next one starts,
// the last cut at `endFrame`; the last `fadeFrames` before that fade
// linearly to silence. Where a part ends before the next starts, silence.
Pcm assemble(const std::vector<Placed>& parts, long endFrame, long fadeFrames);

} // namespace tracker

#pragma once
// Tune decoding for the sound library: modules (MOD, XM, IT and whatever else
// libxmp recognises) and MP3 through libmpg123, from memory the caller keeps
// alive, into interleaved 16-bit stereo PCM.

#include <cstddef>
#include <cstdint>
#include <memory>

// The library's type codes (from the file name's ending); 0 means unknown.
enum TuneType { TUNE_UNKNOWN = 0, TUNE_MOD = 1, TUNE_XM = 2, TUNE_IT = 4, TUNE_MP3 = 5 };

constexpr int MODULE_SAMPLE_RATE = 44100;

class Decoder {
public:
    virtual ~Decoder() = default;
    // Fills up to `frames` stereo frames; returns how many were produced,
    // 0 once the tune has ended.
    virtual int render(int16_t* out, int frames) = 0;
    virtual int sampleRate() const = 0;
    // Moves to `seconds` from the start of the tune (forwards or backwards,
    // also after the end): the next render starts with the sample a render
    // from the start would have produced there. A place past the end leaves
    // the tune ended (render gives 0) and counts as done. False when the
    // library failed; the tune has then ended. Negative times are refused.
    virtual bool seek(double seconds) = 0;
};

// A decoder for the tune, or null when the data is not a tune of that type.
// Unknown types try the module player first, then MP3.
std::unique_ptr<Decoder> openDecoder(const void* data, size_t size, int type);

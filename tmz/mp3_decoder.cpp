// MP3 through libmpg123, read from memory through reader callbacks so that
// libmpg123 can seek in the stream itself.
//
// Seeking. libmpg123 seeks to the exact sample, decoding a few frames ahead
// of it to refill the bit reservoir. The synthesis filter's ring buffer,
// though, turns by a fixed step per frame and a seek does not put it back:
// starting to decode at another turn of the ring rounds some samples one
// step differently from a decode from the start. So each seek opens the
// stream afresh (the ring at its start) and, where needed, seeks up to a few
// frames early, to a frame where the ring stands as it would have, and
// decodes forwards to the target. The samples then match a decode from the
// start exactly.

#include "decoders.h"

#include <mpg123.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <numeric>

namespace {

// The synthesis ring has 16 slots; every 32 samples of output turn it by one.
// (Both are fixed by the MPEG audio synthesis filter bank.)
constexpr int SYNTH_RING_SLOTS = 16;
constexpr int SAMPLES_PER_SYNTH_STEP = 32;

struct MemoryStream {
    const unsigned char* data = nullptr;
    size_t size = 0;
    size_t at = 0;
};

mpg123_ssize_t readMemory(void* handle, void* out, size_t count) {
    auto* s = static_cast<MemoryStream*>(handle);
    size_t n = s->size - s->at < count ? s->size - s->at : count;
    std::memcpy(out, s->data + s->at, n);
    s->at += n;
    return mpg123_ssize_t(n);
}

off_t seekMemory(void* handle, off_t offset, int whence) {
    auto* s = static_cast<MemoryStream*>(handle);
    long long base = whence == SEEK_SET   ? 0
                     : whence == SEEK_CUR ? (long long)s->at
                                          : (long long)s->size;
    long long to = base + offset;
    if (to < 0 || to > (long long)s->size) return -1;
    s->at = size_t(to);
    return off_t(to);
}

class Mp3Decoder : public Decoder {
public:
    ~Mp3Decoder() override {
        if (handle) {
            mpg123_close(handle);
            mpg123_delete(handle);
        }
    }

    bool open(const void* data, size_t size) {
        static std::once_flag init;
        std::call_once(init, [] { mpg123_init(); });
        stream.data = static_cast<const unsigned char*>(data);
        stream.size = size;
        handle = mpg123_new(nullptr, nullptr);
        if (!handle) return false;
        mpg123_param(handle, MPG123_FLAGS, MPG123_FORCE_STEREO | MPG123_QUIET, 0);
        // Any rate the stream has, always 16-bit stereo.
        mpg123_format_none(handle);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_replace_reader_handle(handle, readMemory, seekMemory, nullptr) != MPG123_OK)
            return false;
        if (!reopen()) return false;
        // Parsing up to the first frame gives the format; no frame means no MP3.
        int channels = 0, encoding = 0;
        long r = 0;
        if (mpg123_getformat(handle, &r, &channels, &encoding) != MPG123_OK) return false;
        rate = int(r);
        return rate > 0;
    }

    int render(int16_t* out, int frames) override {
        if (ended) return 0;
        return int(decode(reinterpret_cast<unsigned char*>(out), size_t(frames) * 4) / 4);
    }

    int sampleRate() const override { return rate; }

    bool seek(double seconds) override {
        if (!(seconds >= 0)) return false;
        ended = false;
        const double wanted = seconds * rate;
        // Sample offsets are off_t, 32 bits on Windows: hours beyond any tune.
        if (wanted > 2147483647.0) {
            ended = true;
            return true;
        }
        const off_t target = off_t(std::llround(wanted));
        if (!reopen() || mpg123_seek(handle, target, SEEK_SET) < 0) return fail();
        // Decoding from the start turns the ring from frame 0 on; after the
        // seek it turns from `first`, a few frames before the target's. A
        // frame turns it spf / 32 slots, so it is back where it was every
        // `period` frames; otherwise start up to period - 1 frames earlier.
        const off_t frame = mpg123_tellframe(handle);
        const int spf = mpg123_spf(handle);
        mpg123_frameinfo info = {};
        long preframes = 0;
        double unused = 0;
        if (frame < 0 || spf <= 0 || mpg123_info(handle, &info) != MPG123_OK ||
            mpg123_getparam(handle, MPG123_PREFRAMES, &preframes, &unused) != MPG123_OK)
            return true; // positioned, only perhaps a rounding step off
        // libmpg123's own bounds on the frames it decodes ahead.
        if (info.layer == 3 && preframes < 1) preframes = 1;
        if (info.layer != 3 && preframes > 2) preframes = 2;
        const long steps = spf / SAMPLES_PER_SYNTH_STEP;
        const long period = SYNTH_RING_SLOTS / std::gcd(steps, long(SYNTH_RING_SLOTS));
        const long first = long(frame) - preframes;
        const long early = first > 0 ? first % period : 0;
        if (early == 0) return true;
        off_t from = target - off_t(early * spf);
        if (from < 0) from = 0;
        if (!reopen() || mpg123_seek(handle, from, SEEK_SET) < 0) return fail();
        // Decode and drop up to the target.
        unsigned char scratch[4096];
        size_t drop = size_t(target - from) * 4;
        while (drop > 0) {
            size_t got = decode(scratch, drop < sizeof scratch ? drop : sizeof scratch);
            if (got == 0) break; // the end: render gives nothing either
            drop -= got;
        }
        return true;
    }

private:
    bool reopen() {
        stream.at = 0;
        return mpg123_open_handle(handle, &stream) == MPG123_OK;
    }

    bool fail() {
        ended = true;
        return false;
    }

    // Up to `want` bytes of samples; fewer only at the end of the tune.
    size_t decode(unsigned char* out, size_t want) {
        size_t got = 0;
        for (int idle = 0; got < want && idle < 4;) {
            size_t done = 0;
            int status = mpg123_read(handle, out + got, want - got, &done);
            got += done;
            idle = done ? 0 : idle + 1; // a decoder that stops producing ends the tune
            if (status == MPG123_NEW_FORMAT) continue;
            if (status != MPG123_OK) break; // the end of the data or an error
        }
        return got;
    }

    mpg123_handle* handle = nullptr;
    MemoryStream stream;
    int rate = 0;
    bool ended = false;
};

} // namespace

std::unique_ptr<Decoder> openMp3(const void* data, size_t size) {
    auto d = std::make_unique<Mp3Decoder>();
    if (!d->open(data, size)) return nullptr;
    return d;
}

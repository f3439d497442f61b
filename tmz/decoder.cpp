#include "decoder.h"

#ifdef _WIN32
#define BUILDING_STATIC // libxmp is linked statically into the DLL
#endif
#include <xmp.h>

#include <mpg123.h>

#include <cstring>
#include <mutex>

namespace {

class ModuleDecoder : public Decoder {
public:
    ~ModuleDecoder() override {
        if (started) xmp_end_player(context);
        if (loaded) xmp_release_module(context);
        xmp_free_context(context);
    }

    bool open(const void* data, size_t size) {
        context = xmp_create_context();
        if (!context) return false;
        // libxmp takes a non-const pointer but does not write through it.
        if (xmp_load_module_from_memory(context, const_cast<void*>(data), long(size)) != 0)
            return false;
        loaded = true;
        if (xmp_start_player(context, MODULE_SAMPLE_RATE, 0) != 0) return false;
        started = true;
        return true;
    }

    int render(int16_t* out, int frames) override {
        if (ended) return 0;
        // Played once: the caller keeps time with silence after the end.
        if (xmp_play_buffer(context, out, frames * 4, 1) != 0) {
            ended = true;
            return 0;
        }
        return frames;
    }

    int sampleRate() const override { return MODULE_SAMPLE_RATE; }

private:
    xmp_context context = nullptr;
    bool loaded = false;
    bool started = false;
    bool ended = false;
};

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
        if (mpg123_open_feed(handle) != MPG123_OK) return false;
        if (mpg123_feed(handle, static_cast<const unsigned char*>(data), size) != MPG123_OK)
            return false;
        // Parsing up to the first frame gives the format; no frame means no MP3.
        int channels = 0, encoding = 0;
        long r = 0;
        if (mpg123_getformat(handle, &r, &channels, &encoding) != MPG123_OK) return false;
        rate = int(r);
        return rate > 0;
    }

    int render(int16_t* out, int frames) override {
        size_t want = size_t(frames) * 4, got = 0;
        for (int idle = 0; got < want && idle < 4;) {
            size_t done = 0;
            int status =
                mpg123_read(handle, reinterpret_cast<unsigned char*>(out) + got, want - got, &done);
            got += done;
            idle = done ? 0 : idle + 1; // a decoder that stops producing ends the tune
            if (status == MPG123_NEW_FORMAT) continue;
            if (status != MPG123_OK) break; // the end (all data was fed at once) or an error
        }
        return int(got / 4);
    }

    int sampleRate() const override { return rate; }

private:
    mpg123_handle* handle = nullptr;
    int rate = 0;
};

std::unique_ptr<Decoder> openModule(const void* data, size_t size) {
    auto d = std::make_unique<ModuleDecoder>();
    if (!d->open(data, size)) return nullptr;
    return d;
}

std::unique_ptr<Decoder> openMp3(const void* data, size_t size) {
    auto d = std::make_unique<Mp3Decoder>();
    if (!d->open(data, size)) return nullptr;
    return d;
}

} // namespace

std::unique_ptr<Decoder> openDecoder(const void* data, size_t size, int type) {
    if (!data || size == 0) return nullptr;
    switch (type) {
    case TUNE_MOD:
    case TUNE_XM:
    case TUNE_IT:
        return openModule(data, size);
    case TUNE_MP3:
        return openMp3(data, size);
    default: {
        auto d = openModule(data, size);
        if (d) return d;
        return openMp3(data, size);
    }
    }
}

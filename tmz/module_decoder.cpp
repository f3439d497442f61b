// Modules through libxmp, played frame by frame (a frame is one tracker tick,
// a whole number of samples).
//
// Seeking. libxmp seeks only to the start of an order, and its millisecond
// clock is not the sample count: each frame's length in samples is rounded
// down, so at most tempos the samples run ahead of that clock, by tens of
// milliseconds over a few minutes. Positions here are therefore counted in
// samples. The first seek has a second copy of the player, mixing into a
// single voice so that it costs next to nothing, walk the tune once and note
// the sample at which each order is first entered at its top row (the song's
// flow does not depend on the voices). A seek then restarts at the last such
// order before the target and plays frames up to it, keeping the rest of the
// frame that holds it. Notes still sounding across that order's start are
// lost (libxmp resets the channels there); a seek forwards within the order
// being played plays on from where it is and loses nothing.

#include "decoders.h"

#ifdef _WIN32
#define BUILDING_STATIC // libxmp is linked statically into the DLL
#endif
#include <xmp.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Longest tune the order walk follows; a seek beyond it counts as past the end.
constexpr int64_t WALK_LIMIT_SAMPLES = int64_t(MODULE_SAMPLE_RATE) * 60 * 60 * 4;

// A player on the module data, started at the module rate; null on failure.
xmp_context startPlayer(const void* data, size_t size, int voices) {
    xmp_context context = xmp_create_context();
    if (!context) return nullptr;
    // libxmp takes a non-const pointer but does not write through it.
    if (xmp_load_module_from_memory(context, const_cast<void*>(data), long(size)) != 0) {
        xmp_free_context(context);
        return nullptr;
    }
    if (voices > 0) xmp_set_player(context, XMP_PLAYER_VOICES, voices);
    if (xmp_start_player(context, MODULE_SAMPLE_RATE, 0) != 0) {
        xmp_release_module(context);
        xmp_free_context(context);
        return nullptr;
    }
    return context;
}

void endPlayer(xmp_context context) {
    xmp_end_player(context);
    xmp_release_module(context);
    xmp_free_context(context);
}

class ModuleDecoder : public Decoder {
public:
    ~ModuleDecoder() override {
        if (context) endPlayer(context);
    }

    bool open(const void* tune, size_t tuneSize) {
        data = tune;
        size = tuneSize;
        context = startPlayer(data, size, 0);
        return context != nullptr;
    }

    int render(int16_t* out, int frames) override { return int(take(out, frames)); }

    int sampleRate() const override { return MODULE_SAMPLE_RATE; }

    bool seek(double seconds) override {
        if (!(seconds >= 0)) return false;
        if (!mapped) mapOrders();
        const double wanted = seconds * MODULE_SAMPLE_RATE;
        if (wanted >= double(tuneLength)) {
            ended = true;
            left = 0;
            return true;
        }
        const int64_t target = std::llround(wanted);
        int order = 0;
        int64_t from = 0;
        for (size_t i = 0; i < orderStart.size(); ++i) {
            if (orderStart[i] >= from && orderStart[i] <= target) {
                order = int(i);
                from = orderStart[i];
            }
        }
        if (ended || played > target || played < from) {
            // loop_count must go back to 0 too, or a tune that has ended
            // would end again at once.
            xmp_restart_module(context);
            if (order > 0 && xmp_set_position(context, order) != order) {
                ended = true;
                left = 0;
                return false;
            }
            ended = false;
            left = 0;
            played = from;
        }
        take(nullptr, target - played);
        return true;
    }

private:
    // The next frame into `pending`; false (and ended) when the tune is over:
    // played once, the caller keeps time with silence after the end.
    bool nextFrame() {
        if (ended) return false;
        xmp_frame_info info;
        int status = xmp_play_frame(context);
        xmp_get_frame_info(context, &info);
        if (status < 0 || info.loop_count >= 1) {
            ended = true;
            return false;
        }
        pending = static_cast<const int16_t*>(info.buffer);
        left = info.buffer_size / 4;
        return true;
    }

    // Up to `samples` stereo samples from the frames, into `out` (null: dropped,
    // as a seek does); fewer only at the end of the tune.
    int64_t take(int16_t* out, int64_t samples) {
        int64_t made = 0;
        while (made < samples) {
            if (left == 0 && !nextFrame()) break;
            const int n = samples - made < left ? int(samples - made) : left;
            if (out) std::memcpy(out + size_t(made) * 2, pending, size_t(n) * 4);
            pending += size_t(n) * 2;
            left -= n;
            made += n;
            played += n;
        }
        return made;
    }

    // Walks the tune once on a one-voice player: the sample at which each
    // order is first entered at row 0 (-1 for the others) and the length.
    void mapOrders() {
        mapped = true;
        xmp_context walk = startPlayer(data, size, 1);
        if (!walk) return; // no map: every seek starts at the top
        xmp_module_info module;
        xmp_get_module_info(walk, &module);
        orderStart.assign(size_t(module.mod->len > 0 ? module.mod->len : 0), -1);
        int64_t at = 0;
        int lastOrder = -1;
        xmp_frame_info info;
        while (at < WALK_LIMIT_SAMPLES) {
            int status = xmp_play_frame(walk);
            xmp_get_frame_info(walk, &info);
            if (status < 0 || info.loop_count >= 1) break;
            if (info.pos != lastOrder) {
                lastOrder = info.pos;
                size_t i = size_t(info.pos);
                if (info.row == 0 && i < orderStart.size() && orderStart[i] < 0) orderStart[i] = at;
            }
            at += info.buffer_size / 4;
        }
        tuneLength = at;
        endPlayer(walk);
    }

    const void* data = nullptr;
    size_t size = 0;
    xmp_context context = nullptr;
    bool ended = false;
    // The rest of the current frame.
    const int16_t* pending = nullptr;
    int left = 0;
    int64_t played = 0; // samples from the start of the tune to the next one out
    bool mapped = false;
    std::vector<int64_t> orderStart;         // samples, by order
    int64_t tuneLength = WALK_LIMIT_SAMPLES; // samples
};

} // namespace

std::unique_ptr<Decoder> openModule(const void* data, size_t size) {
    auto d = std::make_unique<ModuleDecoder>();
    if (!d->open(data, size)) return nullptr;
    return d;
}

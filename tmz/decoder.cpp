#include "decoder.h"
#include "decoders.h"

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

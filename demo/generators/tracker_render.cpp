#include "tracker_render.h"

#include "tracker_bytes.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace tracker {

LoadedModule::LoadedModule(const std::vector<uint8_t>& bytes) : context_(xmp_create_context()) {
    loaded_ = context_ && !bytes.empty() &&
              xmp_load_module_from_memory(context_, bytes.data(), long(bytes.size())) == 0;
}

LoadedModule::~LoadedModule() {
    if (loaded_) xmp_release_module(context_);
    if (context_) xmp_free_context(context_);
}

const xmp_module* LoadedModule::module() const {
    if (!loaded_) return nullptr;
    xmp_module_info info;
    xmp_get_module_info(context_, &info);
    return info.mod;
}

int LoadedModule::durationMs() const {
    if (!loaded_) return 0;
    xmp_module_info info;
    xmp_get_module_info(context_, &info);
    return info.seq_data[0].duration;
}

bool render(const std::vector<uint8_t>& bytes, int rate, Pcm& out, long maxFrames) {
    LoadedModule module(bytes);
    if (!module.ok() || xmp_start_player(module.context(), rate, 0) != 0) return false;
    out.rate = rate;
    out.samples.clear();
    std::vector<int16_t> buffer(4096);
    while ((maxFrames < 0 || out.frames() < maxFrames) &&
           xmp_play_buffer(module.context(), buffer.data(), int(buffer.size() * 2), 1) == 0)
        out.samples.insert(out.samples.end(), buffer.begin(), buffer.end());
    xmp_end_player(module.context());
    return true;
}

bool writeWav(const std::string& path, const Pcm& pcm) {
    const uint32_t bytes = uint32_t(pcm.samples.size() * 2);
    Bytes h;
    putTag(h, "RIFF");
    put32le(h, 36 + bytes);
    putTag(h, "WAVEfmt ");
    put32le(h, 16);
    put16le(h, 1); // PCM
    put16le(h, 2); // stereo
    put32le(h, uint32_t(pcm.rate));
    put32le(h, uint32_t(pcm.rate * 4));
    put16le(h, 4); // bytes a frame
    put16le(h, 16);
    putTag(h, "data");
    put32le(h, bytes);
    Bytes data;
    data.reserve(bytes);
    for (int16_t v : pcm.samples) put16le(data, v);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(h.data()), std::streamsize(h.size()));
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    return bool(out);
}

Pcm assemble(const std::vector<Placed>& parts, long endFrame, long fadeFrames) {
    Pcm out;
    if (!parts.empty()) out.rate = parts.front().pcm->rate;
    out.samples.assign(size_t(std::max(0L, endFrame) * 2), 0);
    for (size_t i = 0; i < parts.size(); ++i) {
        const long start = parts[i].startFrame;
        const long next = i + 1 < parts.size() ? parts[i + 1].startFrame : endFrame;
        const long stop = std::min(next, endFrame);
        if (start < 0) continue;
        const long frames = std::min(stop - start, parts[i].pcm->frames());
        for (long f = 0; f < frames; ++f)
            for (long c = 0; c < 2; ++c)
                out.samples[size_t((start + f) * 2 + c)] = parts[i].pcm->samples[size_t(f * 2 + c)];
    }
    const long fadeStart = std::max(0L, endFrame - fadeFrames);
    for (long f = fadeStart; f < endFrame; ++f) {
        const double gain = double(endFrame - f) / double(fadeFrames);
        for (long c = 0; c < 2; ++c) {
            int16_t& v = out.samples[size_t(f * 2 + c)];
            v = int16_t(std::lround(double(v) * gain));
        }
    }
    return out;
}

} // namespace tracker

// Composes the show's music as a four-channel ProTracker module: synthesised
// drum, bass and lead samples, ten 64-row patterns at speed 6 / 125 BPM
// (a beat every 4 rows = 0.48 s, 76.8 s in all), and writes it as
// music.mod. With --wav it also renders the module through libxmp to a
// 44.1 kHz stereo WAV file (for the MP3 encoder). Everything is
// deterministic: the same bytes on every build.
//
//   make_music OUT.mod [--wav OUT.wav]

#include <xmp.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int RATE = 8363; // playback rate of a sample at C-2 (period 428)
constexpr int ROWS = 64;
constexpr int CHANNELS = 4;

struct Sample {
    std::string name;
    std::vector<int8_t> data;
    int volume = 64;
    int loopStart = 0, loopLength = 0; // bytes; 0 = no loop
};

uint32_t gNoise = 12345;
double noise() {
    gNoise = gNoise * 1103515245u + 12345u;
    return double((gNoise >> 16) & 0x7FFF) / 16384.0 - 1.0;
}

int8_t clip(double v) {
    const double s = std::round(v * 127.0);
    return int8_t(s > 127 ? 127 : s < -128 ? -128 : s);
}

Sample kick() {
    Sample s{"kick", {}};
    double phase = 0;
    for (int i = 0; i < 2400; ++i) {
        const double t = double(i) / RATE;
        const double f = 45 + 110 * std::exp(-t * 25);
        phase += 2 * PI * f / RATE;
        s.data.push_back(clip(std::sin(phase) * std::exp(-t * 9)));
    }
    return s;
}

Sample snare() {
    Sample s{"snare", {}};
    double phase = 0;
    for (int i = 0; i < 1800; ++i) {
        const double t = double(i) / RATE;
        phase += 2 * PI * 185 / RATE;
        s.data.push_back(clip((0.6 * noise() + 0.4 * std::sin(phase)) * std::exp(-t * 16)));
    }
    return s;
}

Sample hat() {
    Sample s{"hat", {}};
    double last = 0;
    for (int i = 0; i < 500; ++i) {
        const double n = noise();
        s.data.push_back(clip((n - last) * 0.5 * std::exp(-double(i) / 90)));
        last = n;
    }
    s.volume = 40;
    return s;
}

// One looped cycle of a waveform: pitch comes from the period.
Sample wave(const char* name, int kind, int volume) {
    Sample s{name, {}};
    const int n = 32;
    for (int i = 0; i < n; ++i) {
        const double x = double(i) / n;
        double v = 0;
        if (kind == 0) v = x < 0.5 ? 0.7 : -0.7;            // square
        if (kind == 1) v = 1.4 * (x - 0.5);                 // saw
        if (kind == 2) v = x < 0.5 ? 4 * x - 1 : 3 - 4 * x; // triangle
        s.data.push_back(clip(v * 0.8));
    }
    s.volume = volume;
    s.loopStart = 0;
    s.loopLength = n;
    return s;
}

// Amiga periods, C-1 to B-3.
const int kPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                          428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                          214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

struct Cell {
    int sample = 0, note = -1, effect = 0, param = 0;
};

using Pattern = std::vector<Cell>; // ROWS * CHANNELS

enum { KICK = 1, SNARE, HAT, BASS, LEAD, PAD };

Pattern pattern(int index) {
    Pattern p(ROWS * CHANNELS);
    auto set = [&](int row, int ch, int sample, int note, int effect = 0, int param = 0) {
        p[size_t(row * CHANNELS + ch)] = Cell{sample, note, effect, param};
    };
    const bool bass = index >= 1, snares = index >= 2, lead = index >= 3 && index <= 6;
    // A minor, then F, C, G: roots per bar of 16 rows.
    const int roots[4] = {9, 5, 0, 7};
    for (int row = 0; row < ROWS; ++row) {
        const int bar = row / 16;
        if (row % 4 == 0) set(row, 0, KICK, 12);
        if (snares && row % 8 == 4) set(row, 0, SNARE, 12);
        if (row % 2 == 1) set(row, 1, HAT, 24);
        if (bass && row % 2 == 0) set(row, 2, BASS, roots[bar] + (row % 8 == 6 ? 12 : 0));
        if (lead && row % 4 == 0) {
            static const int melody[16] = {0, 3, 7, 10, 7, 3, 12, 10, 0, 5, 7, 12, 14, 12, 7, 5};
            const int shift = index == 5 ? 5 : 0;
            set(row, 3, LEAD,
                std::min(35, 12 + roots[bar] % 12 + melody[(row / 4) % 16] % 12 + shift));
        } else if (!lead && row % 16 == 0 && index > 0) {
            set(row, 3, PAD, 12 + roots[bar]);
        }
    }
    if (index == 9) // the ending: everything fades over the last bars
        for (int row = 32; row < ROWS; row += 4)
            set(row, 2, 0, -1, 0xC, uint8_t(64 - (row - 32) * 2));
    return p;
}

void writeModule(const std::string& path, const std::vector<Sample>& samples,
                 const std::vector<Pattern>& patterns) {
    std::vector<uint8_t> b;
    auto u2 = [&](int v) {
        b.push_back(uint8_t(v >> 8));
        b.push_back(uint8_t(v));
    };
    const char title[20] = "nightloom demo";
    b.insert(b.end(), title, title + 20);
    for (int i = 0; i < 31; ++i) {
        char name[22] = {};
        const Sample* s = i < int(samples.size()) ? &samples[size_t(i)] : nullptr;
        if (s) std::strncpy(name, s->name.c_str(), 21);
        b.insert(b.end(), name, name + 22);
        u2(s ? int(s->data.size() / 2) : 0);
        b.push_back(0);
        b.push_back(uint8_t(s ? s->volume : 0));
        u2(s && s->loopLength ? s->loopStart / 2 : 0);
        u2(s && s->loopLength ? s->loopLength / 2 : 1);
    }
    b.push_back(uint8_t(patterns.size()));
    b.push_back(127);
    for (int i = 0; i < 128; ++i) b.push_back(uint8_t(i < int(patterns.size()) ? i : 0));
    b.insert(b.end(), {'M', '.', 'K', '.'});
    for (const Pattern& p : patterns)
        for (const Cell& c : p) {
            const int period = c.note >= 0 ? kPeriods[c.note] : 0;
            b.push_back(uint8_t((c.sample & 0xF0) | (period >> 8)));
            b.push_back(uint8_t(period & 0xFF));
            b.push_back(uint8_t(((c.sample & 0x0F) << 4) | (c.effect & 0xF)));
            b.push_back(uint8_t(c.param));
        }
    for (const Sample& s : samples)
        for (int8_t v : s.data) b.push_back(uint8_t(v));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

bool renderWav(const std::string& module, const std::string& wav) {
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module(ctx, const_cast<char*>(module.c_str())) != 0) return false;
    const int rate = 44100;
    xmp_start_player(ctx, rate, 0);
    std::vector<int16_t> pcm;
    std::vector<int16_t> buffer(4096);
    while (xmp_play_buffer(ctx, buffer.data(), int(buffer.size() * 2), 1) == 0)
        pcm.insert(pcm.end(), buffer.begin(), buffer.end());
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    std::ofstream out(wav, std::ios::binary);
    auto u4 = [&](uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
    auto u2 = [&](uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
    const uint32_t bytes = uint32_t(pcm.size() * 2);
    out.write("RIFF", 4);
    u4(36 + bytes);
    out.write("WAVEfmt ", 8);
    u4(16);
    u2(1);
    u2(2);
    u4(rate);
    u4(rate * 4);
    u2(4);
    u2(16);
    out.write("data", 4);
    u4(bytes);
    out.write(reinterpret_cast<const char*>(pcm.data()), std::streamsize(bytes));
    return bool(out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && !std::strcmp(argv[2], "--wav"))) {
        std::fprintf(stderr, "usage: make_music OUT.mod [--wav OUT.wav]\n");
        return 2;
    }
    std::vector<Sample> samples = {
        kick(), snare(), hat(), wave("bass", 0, 48), wave("lead", 1, 36), wave("pad", 2, 30)};
    std::vector<Pattern> patterns;
    for (int i = 0; i < 10; ++i) patterns.push_back(pattern(i));
    writeModule(argv[1], samples, patterns);
    if (argc == 4 && !renderWav(argv[1], argv[3])) {
        std::fprintf(stderr, "make_music: cannot render %s\n", argv[1]);
        return 1;
    }
    return 0;
}

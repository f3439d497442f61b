#include "tracker_synth.h"

#include <cmath>

namespace tracker {
namespace synth {

namespace {
constexpr double RATE = BASE_RATE;
}

int8_t clip(double v) {
    const double s = std::round(v * 127.0);
    return int8_t(s > 127 ? 127 : s < -128 ? -128 : s);
}

Sample oneShot(const char* name, double seconds, const std::function<double(double)>& f) {
    Sample s;
    s.name = name;
    const int n = int(seconds * RATE) & ~1;
    for (int i = 0; i < n; ++i) s.data.push_back(clip(f(double(i) / RATE)));
    return s;
}

Sample cycle(const char* name, int length, int volume, const std::function<double(double)>& f) {
    Sample s;
    s.name = name;
    for (int i = 0; i < length; ++i) s.data.push_back(clip(f(double(i) / length)));
    s.volume = volume;
    s.loopStart = 0;
    s.loopLength = length;
    return s;
}

double toneHz(int transpose) {
    return 261.63 * std::pow(2.0, -transpose / 12.0);
}

Sample kick() {
    Sample s;
    s.name = "kick";
    double phase = 0;
    for (int i = 0; i < 2400; ++i) {
        const double t = double(i) / RATE;
        const double f = 45 + 110 * std::exp(-t * 25);
        phase += 2 * PI * f / RATE;
        s.data.push_back(clip(std::sin(phase) * std::exp(-t * 9)));
    }
    return s;
}

Sample snare(Noise& noise) {
    Sample s;
    s.name = "snare";
    double phase = 0;
    for (int i = 0; i < 1800; ++i) {
        const double t = double(i) / RATE;
        phase += 2 * PI * 185 / RATE;
        s.data.push_back(clip((0.6 * noise.next() + 0.4 * std::sin(phase)) * std::exp(-t * 16)));
    }
    return s;
}

Sample hat(Noise& noise) {
    Sample s;
    s.name = "hat";
    double last = 0;
    for (int i = 0; i < 500; ++i) {
        const double n = noise.next();
        s.data.push_back(clip((n - last) * 0.5 * std::exp(-double(i) / 90)));
        last = n;
    }
    s.volume = 40;
    return s;
}

Sample wave(const char* name, int kind, int volume) {
    Sample s;
    s.name = name;
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

Sample metal(const char* name, double hz, double ratio, double index, double decay,
             double seconds) {
    return oneShot(name, seconds, [=](double t) {
        const double env = std::exp(-t * decay);
        const double mod = index * std::exp(-t * decay * 0.7) * std::sin(2 * PI * hz * ratio * t);
        return 0.85 * env * std::sin(2 * PI * hz * t + mod);
    });
}

Sample cymbal(const char* name, double seconds, double decay) {
    // Six square waves at unrelated frequencies: their sum has no pitch.
    static const double kHz[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double last = 0;
    return oneShot(name, seconds, [=](double t) mutable {
        double sum = 0;
        for (double f : kHz) sum += std::fmod(t * f * 2.7, 1.0) < 0.5 ? 1 : -1;
        const double high = sum - last; // keep the edges, lose the body
        last = sum;
        return 0.22 * high * std::exp(-t * decay);
    });
}

Sample drum(const char* name, double fromHz, double toHz, double seconds, double decay,
            double click, Noise& noise) {
    double phase = 0;
    return oneShot(name, seconds, [&, fromHz, toHz, decay, click](double t) {
        const double f = toHz + (fromHz - toHz) * std::exp(-t * 30);
        phase += 2 * PI * f / RATE;
        const double tick = t < 0.004 ? click * noise.next() : 0;
        return 0.95 * std::sin(phase) * std::exp(-t * decay) + tick;
    });
}

Sample noiseHit(const char* name, double seconds, double decay, double hz, double tone,
                Noise& noise) {
    return oneShot(name, seconds, [&, decay, hz, tone](double t) {
        const double body = tone * std::sin(2 * PI * hz * t) * std::exp(-t * decay * 1.5);
        return (0.8 * (1 - tone) * noise.next() + body) * std::exp(-t * decay);
    });
}

} // namespace synth
} // namespace tracker

// Envelope evaluation: behaviours map a time outside the keys back into
// them (or answer directly); the span search walks forward from the first
// span; the span's end key decides its shape (stepped, linear, or a
// Kochanek-Bartels Hermite span whose tangents use the neighbour fields).

#include "envelope.h"

#include <cmath>
#include <string>

LWEnvelope::LWEnvelope(int count) : numKeys(count < 0 ? 0 : count), keys(size_t(numKeys) + 1) {}

void LWEnvelope::setKey(int index, float value, float time, int shape, float tension,
                        float continuity, float bias) {
    if (index < 0 || index >= numKeys) return;
    LWKey& k = keys[size_t(index)];
    k.value = value;
    k.time = time;
    k.shape = shape;
    k.tension = tension;
    k.continuity = continuity;
    k.bias = bias;
}

void LWEnvelope::finish(int pre, int post) {
    preBehavior = pre;
    postBehavior = post;
    if (numKeys == 0) return;
    endTime = keys[size_t(numKeys - 1)].time;
    for (int i = 0; i < numKeys; ++i) {
        LWKey& k = keys[size_t(i)];
        const LWKey& next = keys[size_t(i + 1 < numKeys ? i + 1 : i)];
        const LWKey& prev = keys[size_t(i > 0 ? i - 1 : i)];
        k.nextTime = next.time;
        k.nextValue = next.value;
        k.prevTime = prev.time;
        k.prevValue = prev.value;
    }
}

float LWEnvelope::evaluate(double t) {
    const int n = numKeys;
    if (n < 1) return 0; // an empty envelope has no value to give
    if (n < 2) return keys[0].value;
    const LWKey* k = keys.data();
    const double t0 = k[0].time, t1 = k[n - 1].time;
    const double v0 = k[0].value, v1 = k[n - 1].value;
    const double r = t1 - t0;
    double offset = 0;

    if (t < t0) {
        switch (preBehavior) {
        case BEHAVIOR_RESET:
            return 0;
        case BEHAVIOR_REPEAT:
            if (r > 0) t = t1 + std::fmod(t - t0, r);
            break;
        case BEHAVIOR_OSCILLATE:
            if (r > 0) {
                double u = std::fmod(t - t0, 2 * r) + 2 * r;
                if (u > r) u = 2 * r - u;
                t = t0 + u;
            }
            break;
        case BEHAVIOR_OFFSET_REPEAT:
            if (r > 0) {
                offset = (v1 - v0) * std::trunc((t - t0) / r - 1);
                t = t1 + std::fmod(t - t0, r);
            }
            break;
        case BEHAVIOR_LINEAR:
            break;
        default:
            return float(v0);
        }
        // Keys all at one time leave nothing to repeat: hold the first value.
        if (r <= 0 && preBehavior != BEHAVIOR_LINEAR) return float(v0);
    }
    if (t > t1) {
        switch (postBehavior) {
        case BEHAVIOR_RESET:
            return 0;
        case BEHAVIOR_REPEAT:
            if (r > 0) t = t0 + std::fmod(t - t0, r);
            break;
        case BEHAVIOR_OSCILLATE:
            if (r > 0) {
                double u = std::fmod(t - t0, 2 * r);
                if (u > r) u = 2 * r - u;
                t = t0 + u;
            }
            break;
        case BEHAVIOR_OFFSET_REPEAT:
            if (r > 0) {
                offset = (v1 - v0) * std::trunc((t - t0) / r);
                t = t0 + std::fmod(t - t0, r);
            }
            break;
        case BEHAVIOR_LINEAR:
            break;
        default:
            return float(v1);
        }
        if (r <= 0 && postBehavior != BEHAVIOR_LINEAR) return float(v1);
    }

    int i = 0;
    while (i < n - 2 && t > k[i + 1].time) ++i;
    const LWKey& a = k[i];
    const LWKey& b = k[i + 1];
    const double d = double(b.time) - a.time;
    // Two keys at the same time: the span has no length; its start holds.
    const double u = d != 0 ? (t - a.time) / d : 0;
    const double delta = double(b.value) - a.value;

    if (b.shape == SHAPE_STEPPED) return float(a.value + offset);
    if (b.shape != SHAPE_TCB) return float(a.value + u * delta + offset);

    const double u2 = u * u, u3 = u2 * u;
    const double h2 = 3 * u2 - 2 * u3, h1 = 1 - h2;
    const double h3 = u3 - 2 * u2 + u, h4 = u3 - u2;

    double out;
    const double A = (1.0 - a.tension) * (1.0 + a.continuity) * (1.0 + a.bias);
    const double B = (1.0 - a.tension) * (1.0 - a.continuity) * (1.0 - a.bias);
    const double outSpan = double(b.time) - a.prevTime;
    if (a.time == 0 || outSpan == 0)
        out = 0.5 * (A + B) * delta;
    else
        out = (B * delta + A * (double(a.value) - a.prevValue)) * d / outSpan;

    double in;
    const double E = (1.0 - b.tension) * (1.0 - b.continuity) * (1.0 + b.bias);
    const double F = (1.0 - b.tension) * (1.0 + b.continuity) * (1.0 - b.bias);
    const double inSpan = double(b.nextTime) - a.time;
    if (b.time == endTime || inSpan == 0)
        in = 0.5 * (E + F) * delta;
    else
        in = (E * delta + F * (double(b.nextValue) - b.value)) * d / inSpan;

    return float(h1 * a.value + h2 * b.value + h3 * out + h4 * in + offset);
}

namespace {

template <typename T> void put(std::ostream& out, T v) {
    out.write(reinterpret_cast<const char*>(&v), sizeof v);
}

} // namespace

void LWEnvelope::write(std::ostream& out) const {
    put<uint16_t>(out, 0x5645);
    put<uint16_t>(out, uint16_t(numKeys));
    for (int i = 0; i < numKeys; ++i) {
        const LWKey& k = keys[size_t(i)];
        put<float>(out, k.value);
        put<float>(out, k.time);
        put<uint8_t>(out, uint8_t(k.shape));
        put<float>(out, k.tension);
        put<float>(out, k.continuity);
        put<float>(out, k.bias);
    }
    put<uint8_t>(out, uint8_t(preBehavior));
    put<uint8_t>(out, uint8_t(postBehavior));
}

#pragma once
// Animated values: keyframed envelopes (TCB, linear and stepped spans, with
// pre- and post-behaviours outside the keys) and the constant-or-envelope
// value every animatable property of the scene model holds. Times are
// seconds.

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

enum EnvelopeBehavior {
    BEHAVIOR_RESET = 0,
    BEHAVIOR_CONSTANT = 1,
    BEHAVIOR_REPEAT = 2,
    BEHAVIOR_OSCILLATE = 3,
    BEHAVIOR_OFFSET_REPEAT = 4,
    BEHAVIOR_LINEAR = 5,
};

enum KeyShape { SHAPE_TCB = 0, SHAPE_LINEAR = 3, SHAPE_STEPPED = 4 };

struct LWKey {
    float value = 0;
    float time = 0; // seconds
    int32_t shape = SHAPE_TCB;
    float tension = 0;
    float continuity = 0;
    float bias = 0;
    // Neighbours, filled by finish(): the next and previous key's time and
    // value (the first and last key use their own).
    float nextTime = 0;
    float prevTime = 0;
    float nextValue = 0;
    float prevValue = 0;
};

class LWEnvelope;

class LWEnvelopeBase {
public:
    virtual ~LWEnvelopeBase() = default;
    virtual float evaluate(double time) = 0;
    virtual void write(std::ostream& out) const = 0;
    virtual LWEnvelope* asEnvelope() { return nullptr; }
};

class LWEnvelope : public LWEnvelopeBase {
public:
    explicit LWEnvelope(int numKeys);
    float evaluate(double time) override;
    // "EV", the key count, then per key value, time, shape (a byte), tension,
    // continuity, bias, then the two behaviours (a byte each), host byte order.
    void write(std::ostream& out) const override;
    LWEnvelope* asEnvelope() override { return this; }

    void setKey(int index, float value, float time, int shape, float tension, float continuity,
                float bias);
    // Stores the behaviours, the end time and every key's neighbours.
    void finish(int preBehavior, int postBehavior);

    std::string name;
    int32_t type = 0;
    int32_t numKeys = 0;
    std::vector<LWKey> keys; // numKeys + 1 records (a spare at the end)
    int32_t preBehavior = BEHAVIOR_CONSTANT;
    int32_t postBehavior = BEHAVIOR_CONSTANT;
    float endTime = 0;
};

// A constant plus an optional envelope (owned). Evaluating with an envelope
// stores the result in `value` too.
struct LWAnimValue {
    float value = 0;
    LWEnvelope* envelope = nullptr;

    LWAnimValue() = default;
    explicit LWAnimValue(float v) : value(v) {}
    ~LWAnimValue() { delete envelope; }
    LWAnimValue(const LWAnimValue&) = delete;
    LWAnimValue& operator=(const LWAnimValue&) = delete;

    float evaluate(double time) {
        if (envelope) value = envelope->evaluate(time);
        return value;
    }
    // Replaces the envelope (the old one is destroyed).
    void setEnvelope(LWEnvelope* e) {
        delete envelope;
        envelope = e;
    }
};

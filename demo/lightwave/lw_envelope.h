#pragma once
// Keyframed values as both writers describe them: keys in time order, each
// saying how the span that ends at it is shaped, and what the value does
// before the first key and after the last. Objects keep envelopes in ENVL
// chunks that values refer to by number; scenes write them in place.

#include <vector>

namespace lw {

// The shape of the span that ends at a key; the numbers are the ones the
// scene format writes.
enum class Span { TCB = 0, Linear = 3, Stepped = 4 };

// Outside the keys.
enum class Behaviour {
    Reset = 0,
    Constant = 1,
    Repeat = 2,
    Oscillate = 3,
    OffsetRepeat = 4,
    Linear = 5
};

struct EnvelopeKey {
    double time = 0; // seconds
    float value = 0;
    Span span = Span::TCB;
    // TCB spans only, each -1..1.
    float tension = 0, continuity = 0, bias = 0;
};

struct Envelope {
    std::vector<EnvelopeKey> keys; // in time order
    Behaviour pre = Behaviour::Constant;
    Behaviour post = Behaviour::Constant;
};

} // namespace lw

#pragma once
// Envelopes for tests: a linear ramp from v0 at 0 s to v1 at 1 s, going on
// linearly on both sides. The caller hands it to an LWAnimValue, which owns it.

#include "lightwave/envelope.h"

inline LWEnvelope* linearRamp(float v0, float v1) {
    auto* e = new LWEnvelope(2);
    e->setKey(0, v0, 0, SHAPE_LINEAR, 0, 0, 0);
    e->setKey(1, v1, 1, SHAPE_LINEAR, 0, 0, 0);
    e->finish(BEHAVIOR_LINEAR, BEHAVIOR_LINEAR);
    return e;
}

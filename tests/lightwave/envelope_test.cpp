#include "lightwave/envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <vector>

namespace {

struct K {
    float value, time;
    int shape;
    float t = 0, c = 0, b = 0;
};

LWEnvelope make(const std::vector<K>& keys, int pre, int post) {
    LWEnvelope e(int(keys.size()));
    for (size_t i = 0; i < keys.size(); ++i)
        e.setKey(int(i), keys[i].value, keys[i].time, keys[i].shape, keys[i].t, keys[i].c,
                 keys[i].b);
    e.finish(pre, post);
    return e;
}

// A reference Hermite span written straight from the formulas, for keys
// inside the range (no behaviours), used to check the evaluator.
double referenceTcb(const std::vector<K>& k, double t) {
    size_t i = 0;
    while (i + 2 < k.size() && t > k[i + 1].time) ++i;
    const K& a = k[i];
    const K& b = k[i + 1];
    const K& ap = k[i > 0 ? i - 1 : i];
    const K& bn = k[i + 2 < k.size() ? i + 2 : i + 1];
    const double d = b.time - a.time, u = (t - a.time) / d, dv = b.value - a.value;
    if (b.shape == 4) return a.value;
    if (b.shape != 0) return a.value + u * dv;
    const double A = (1 - a.t) * (1 + a.c) * (1 + a.b), B = (1 - a.t) * (1 - a.c) * (1 - a.b);
    const double E = (1 - b.t) * (1 - b.c) * (1 + b.b), F = (1 - b.t) * (1 + b.c) * (1 - b.b);
    const double out = a.time == 0 ? 0.5 * (A + B) * dv
                                   : (B * dv + A * (a.value - ap.value)) * d / (b.time - ap.time);
    const double in = b.time == k.back().time
                          ? 0.5 * (E + F) * dv
                          : (E * dv + F * (bn.value - b.value)) * d / (bn.time - a.time);
    const double h1 = 2 * u * u * u - 3 * u * u + 1, h2 = -2 * u * u * u + 3 * u * u,
                 h3 = u * u * u - 2 * u * u + u, h4 = u * u * u - u * u;
    return h1 * a.value + h2 * b.value + h3 * out + h4 * in;
}

TEST(Envelope, RepeatAndOffsetRepeatAfterTheLastKey) {
    LWEnvelope repeat = make({{0, 0, 0}, {10, 1, 0}}, BEHAVIOR_CONSTANT, BEHAVIOR_REPEAT);
    EXPECT_NEAR(repeat.evaluate(0.5), repeat.evaluate(1.5), 1e-5);
    EXPECT_NEAR(5.0, repeat.evaluate(0.5), 1e-5); // symmetric span: halfway is half
    LWEnvelope offset = make({{0, 0, 0}, {10, 1, 0}}, BEHAVIOR_CONSTANT, BEHAVIOR_OFFSET_REPEAT);
    EXPECT_NEAR(offset.evaluate(0.5) + 10, offset.evaluate(1.5), 1e-5);
    EXPECT_NEAR(offset.evaluate(0.25) + 20, offset.evaluate(2.25), 1e-5);
}

TEST(Envelope, BehavioursBeforeTheFirstKey) {
    const std::vector<K> keys = {{2, 1, 3}, {6, 3, 3}};
    EXPECT_EQ(0.0f, make(keys, BEHAVIOR_RESET, 1).evaluate(0));
    EXPECT_EQ(2.0f, make(keys, BEHAVIOR_CONSTANT, 1).evaluate(0));
    EXPECT_EQ(2.0f, make(keys, 9, 1).evaluate(0)); // unknown codes act as constant
    // Repeat: 0.5 s is 1.5 s before the first key: the same as 2.5 s.
    EXPECT_NEAR(5.0, make(keys, BEHAVIOR_REPEAT, 1).evaluate(0.5), 1e-5);
    // Oscillate: 0.5 s mirrors to 1.5 s.
    EXPECT_NEAR(3.0, make(keys, BEHAVIOR_OSCILLATE, 1).evaluate(0.5), 1e-5);
    // Offset repeat: one period back loses one rise of 4.
    EXPECT_NEAR(5.0 - 4.0, make(keys, BEHAVIOR_OFFSET_REPEAT, 1).evaluate(0.5), 1e-5);
    // Linear: the first span's line goes on below the first key.
    EXPECT_NEAR(1.0, make(keys, BEHAVIOR_LINEAR, 1).evaluate(0.5), 1e-5);
}

TEST(Envelope, BehavioursAfterTheLastKey) {
    const std::vector<K> keys = {{2, 1, 3}, {6, 3, 3}};
    EXPECT_EQ(0.0f, make(keys, 1, BEHAVIOR_RESET).evaluate(4));
    EXPECT_EQ(6.0f, make(keys, 1, BEHAVIOR_CONSTANT).evaluate(4));
    EXPECT_NEAR(4.0, make(keys, 1, BEHAVIOR_REPEAT).evaluate(4), 1e-5);    // as 2 s
    EXPECT_NEAR(4.0, make(keys, 1, BEHAVIOR_OSCILLATE).evaluate(4), 1e-5); // 4 mirrors to 2
    EXPECT_NEAR(5.0, make(keys, 1, BEHAVIOR_OSCILLATE).evaluate(3.5), 1e-5);
    EXPECT_NEAR(8.0, make(keys, 1, BEHAVIOR_OFFSET_REPEAT).evaluate(4), 1e-5);
    EXPECT_NEAR(8.0, make(keys, 1, BEHAVIOR_LINEAR).evaluate(4), 1e-5);
}

TEST(Envelope, SteppedSpansHoldThroughTheirEndKey) {
    LWEnvelope e = make({{1, 0, 0}, {5, 1, 4}, {9, 2, 3}}, 1, 1);
    EXPECT_EQ(1.0f, e.evaluate(0.3));
    EXPECT_EQ(1.0f, e.evaluate(1.0)); // exactly the end key's time: still the span
    EXPECT_NEAR(7.0, e.evaluate(1.5), 1e-5);
}

TEST(Envelope, HermiteAndBezierShapesInterpolateLinearly) {
    for (int shape : {1, 2, 3, 5}) {
        LWEnvelope e = make({{0, 0, 0}, {8, 2, shape}}, 1, 1);
        EXPECT_NEAR(2.0, e.evaluate(0.5), 1e-5) << shape;
    }
}

TEST(Envelope, OneKeyIsAConstantWhateverItsTime) {
    LWEnvelope e = make({{7, 3, 0}}, BEHAVIOR_RESET, BEHAVIOR_RESET);
    EXPECT_EQ(7.0f, e.evaluate(0));
    EXPECT_EQ(7.0f, e.evaluate(10));
}

TEST(Envelope, TcbSpansMatchTheReferenceFormulas) {
    const std::vector<K> keys = {{0, 0, 0, 0.2f, -0.3f, 0.5f},
                                 {4, 0.5f, 0, -0.5f, 0.1f, 0},
                                 {-2, 1.25f, 0, 0.3f, 0.3f, -0.4f},
                                 {3, 2, 0, 0, 0, 0},
                                 {3.5f, 3, 3},
                                 {1, 4, 0, 0.7f, 0, 0}};
    LWEnvelope e = make(keys, 1, 1);
    for (double t = 0; t <= 4.0; t += 0.01)
        EXPECT_NEAR(referenceTcb(keys, t), e.evaluate(t), 2e-4) << t;
}

TEST(Envelope, FirstKeyAwayFromTimeZeroUsesItsOwnNeighbour) {
    // Keys at 1 s and 2 s: the first key's outgoing tangent is B * delta,
    // not 0.5 (A + B) delta; with bias 0.5 the two differ.
    const std::vector<K> keys = {{0, 1, 0, 0, 0, 0.5f}, {10, 2, 0}};
    LWEnvelope e = make(keys, 1, 1);
    const double u = 0.25, h3 = u * u * u - 2 * u * u + u, h2 = 3 * u * u - 2 * u * u * u,
                 h4 = u * u * u - u * u;
    const double out = 0.5 * 10; // B = 0.5, prevTime = own time, so d / (2 - 1) = 1
    const double in = 0.5 * 2 * 10;
    EXPECT_NEAR(h2 * 10 + h3 * out + h4 * in, e.evaluate(1.25), 1e-4);
}

TEST(Envelope, NeighboursAndEndTime) {
    LWEnvelope e = make({{1, 0, 0}, {2, 1, 0}, {3, 2, 0}}, 1, 1);
    EXPECT_EQ(2.0f, e.endTime);
    EXPECT_EQ(0.0f, e.keys[0].prevTime);
    EXPECT_EQ(1.0f, e.keys[0].prevValue);
    EXPECT_EQ(3.0f, e.keys[2].nextValue);
    EXPECT_EQ(1.0f, e.keys[1].prevValue);
    EXPECT_EQ(3.0f, e.keys[1].nextValue);
    EXPECT_EQ(4u, e.keys.size()); // one spare record
}

TEST(Envelope, WriteLayout) {
    LWEnvelope e = make({{1.5f, 0, 3}, {2, 1, 0}}, 2, 5);
    std::ostringstream out;
    e.write(out);
    const std::string b = out.str();
    ASSERT_EQ(2u + 2 + 2 * (4 + 4 + 1 + 12) + 2, b.size());
    EXPECT_EQ('E', b[0]);
    EXPECT_EQ('V', b[1]);
    EXPECT_EQ(2, b[2]);
    EXPECT_EQ(3, b[4 + 8]); // first key's shape byte
    EXPECT_EQ(2, b[b.size() - 2]);
    EXPECT_EQ(5, b[b.size() - 1]);
}

TEST(AnimValue, EvaluationStoresTheEnvelopeValue) {
    LWAnimValue v(3.0f);
    EXPECT_EQ(3.0f, v.evaluate(10));
    auto* e = new LWEnvelope(2);
    e->setKey(0, 0, 0, 3, 0, 0, 0);
    e->setKey(1, 4, 1, 3, 0, 0, 0);
    e->finish(1, 1);
    v.setEnvelope(e);
    EXPECT_NEAR(1.0, v.evaluate(0.25), 1e-6);
    EXPECT_NEAR(1.0, v.value, 1e-6);
}

TEST(Envelope, DegenerateKeysDoNotDivideByZero) {
    LWEnvelope same = make({{1, 2, 0}, {5, 2, 0}}, BEHAVIOR_REPEAT, BEHAVIOR_OFFSET_REPEAT);
    EXPECT_TRUE(std::isfinite(same.evaluate(0)));
    EXPECT_TRUE(std::isfinite(same.evaluate(2)));
    EXPECT_TRUE(std::isfinite(same.evaluate(5)));
    LWEnvelope empty(0);
    EXPECT_EQ(0.0f, empty.evaluate(1));
}

} // namespace

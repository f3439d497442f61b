#include "base/diag_log.h"
#include "timeline/profiler.h"

#include <sstream>

#include <gtest/gtest.h>

TEST(Profiler, DemoSectionsHaveTheirFixedIndices) {
    Profiler p;
    p.registerDemoSections();
    ASSERT_EQ(p.all().size(), 11u);
    EXPECT_STREQ(p.all()[PROFILE_COMPLETE_RENDER_TIME].name, "CompleteRenderTime");
    EXPECT_STREQ(p.all()[PROFILE_PRESENT].name, "Present");
    EXPECT_STREQ(p.all()[PROFILE_SVP_SWITCH].name, "svp switch");
    EXPECT_STREQ(p.all()[PROFILE_RENDER_SHADOW_MAP].name, "renderShadowMap");
    EXPECT_EQ(p.registerSection("extra"), 11);
}

TEST(Profiler, StatisticsTrackCountTotalMinAndMax) {
    Profiler p;
    int s = p.registerSection("work");
    p.record(s, 500);
    EXPECT_EQ(p.all()[0].min, 500u); // the first measurement sets both
    EXPECT_EQ(p.all()[0].max, 500u);
    p.record(s, 200);
    p.record(s, 900);
    const ProfileSection& r = p.all()[0];
    EXPECT_EQ(r.execs, 3u);
    EXPECT_EQ(r.total, 1600u);
    EXPECT_EQ(r.min, 200u);
    EXPECT_EQ(r.max, 900u);

    p.begin(s);
    volatile int sink = 0;
    for (int i = 0; i < 1000; ++i) sink = sink + i;
    p.end(s);
    EXPECT_EQ(p.all()[0].execs, 4u);
    EXPECT_GE(p.all()[0].total, 1600u);
}

TEST(Profiler, ReportLinesHaveTheFixedLayout) {
    Profiler p;
    int s = p.registerSection("CompleteRenderTime");
    p.registerSection("Clear");
    p.record(s, 10);
    p.record(s, 31);
    std::ostringstream out;
    DiagLogRedirect redirect(out);
    p.report();
    EXPECT_EQ(out.str(),
              "----------- Profiling report --------------\n"
              "                     name     execs        clocks    average      min        max\n"
              "CompleteRenderTime       :        2            41         20       10         31\n"
              "Clear                    :        0             0          0        0          0\n");
}

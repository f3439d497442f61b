#include "timeline/start_options.h"

#include <gtest/gtest.h>

TEST(StartOptions, TimesAreSecondsOrTheScriptsSyntax) {
    double s = -1;
    EXPECT_TRUE(parseStartTime("83.04", s));
    EXPECT_DOUBLE_EQ(s, 83.04); // plain seconds, not 83 s and 4 ms
    EXPECT_TRUE(parseStartTime("1:23.040", s));
    EXPECT_NEAR(s, 83.04, 1e-6);
    EXPECT_TRUE(parseStartTime("1:23.5", s)); // as in a script: 5 ms
    EXPECT_NEAR(s, 83.005, 1e-6);
    EXPECT_TRUE(parseStartTime("2:", s));
    EXPECT_NEAR(s, 120.0, 1e-6);
    EXPECT_TRUE(parseStartTime("0", s));
    EXPECT_DOUBLE_EQ(s, 0.0);
    EXPECT_TRUE(parseStartTime("12", s));
    EXPECT_DOUBLE_EQ(s, 12.0);
}

TEST(StartOptions, AnythingElseIsRefused) {
    double s = 0;
    for (const char* bad : {"", "-3", "+3", "abc", "3s", "1.2.3", ".", ":", "1e3", " 3"})
        EXPECT_FALSE(parseStartTime(bad, s)) << "\"" << bad << "\"";
}

TEST(StartOptions, TheCommandLine) {
    StartOptions o;
    std::string error;
    EXPECT_TRUE(parseStartOptions({}, o, error));
    EXPECT_FALSE(o.haveStart);
    EXPECT_FALSE(o.looseFirst);

    EXPECT_TRUE(parseStartOptions({"--start", "1:30.000", "--loose"}, o, error));
    EXPECT_TRUE(o.haveStart);
    EXPECT_NEAR(o.startSeconds, 90.0, 1e-9);
    EXPECT_TRUE(o.looseFirst);

    StartOptions kept = o;
    EXPECT_FALSE(parseStartOptions({"--start"}, o, error));
    EXPECT_NE(error.find("--start needs a time"), std::string::npos);
    EXPECT_FALSE(parseStartOptions({"--start", "soon"}, o, error));
    EXPECT_NE(error.find("\"soon\" is not a time"), std::string::npos);
    EXPECT_FALSE(parseStartOptions({"--fullscreen"}, o, error));
    EXPECT_NE(error.find("unknown option \"--fullscreen\""), std::string::npos);
    // A refused line leaves the options as they were.
    EXPECT_EQ(o.startSeconds, kept.startSeconds);
}

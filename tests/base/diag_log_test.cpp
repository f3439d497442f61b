#include "base/diag_log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sstream>

#include <gtest/gtest.h>

TEST(DiagLog, WritesGoToTheRedirectTargetAndStopWhenItIsRemoved) {
    std::ostringstream first, second;
    {
        DiagLogRedirect redirect(first);
        diagLog() << "Number of Adapters: " << 1 << "\n";
        {
            DiagLogRedirect inner(second);
            diagLog() << "inner";
        }
        diagLog() << "outer again";
    }
    diagLog() << "after the redirect";
    EXPECT_EQ(first.str(), "Number of Adapters: 1\nouter again");
    EXPECT_EQ(second.str(), "inner");
}

TEST(DiagLog, OpenedLogAcceptsWritesOnTheNullDevice) {
    std::remove("nul");
    openDiagLog();
    diagLog() << "discarded text\n";
    diagLog().flush();
    EXPECT_TRUE(diagLog().good());
#ifndef _WIN32
    // The null device is /dev/null here: no file called "nul" may appear.
    std::FILE* f = std::fopen("nul", "rb");
    EXPECT_EQ(f, nullptr);
    if (f) std::fclose(f);
#endif
    closeDiagLog();
}

TEST(DiagLog, WritesBeforeOpeningOrAfterClosingAreHarmless) {
    closeDiagLog();
    diagLog() << "nobody reads this" << 42;
    openDiagLog();
    openDiagLog(); // reopening is allowed
    diagLog() << "still fine";
    EXPECT_TRUE(diagLog().good());
    closeDiagLog();
}

namespace {
void setVariable(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value);
#else
    if (*value)
        setenv(name, value, 1);
    else
        unsetenv(name);
#endif
}
} // namespace

TEST(DiagLog, NightloomLogNamesAFileForTheLog) {
    EXPECT_STREQ("run.log", diagLogFileName("run.log"));
    EXPECT_STRNE("", diagLogFileName("")); // empty: the null device
    EXPECT_STREQ(diagLogFileName(""), diagLogFileName(nullptr));

    const char* path = "nightloom-diag-test.log";
    std::remove(path);
    setVariable(DIAG_LOG_VARIABLE, path);
    openDiagLog();
    diagLog() << "-------- used files ----------\nscene.scr\n";
    closeDiagLog();
    std::FILE* f = std::fopen(path, "rb");
    ASSERT_NE(nullptr, f);
    char text[128] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    std::string written(text, n);
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end()); // text mode
    EXPECT_EQ("-------- used files ----------\nscene.scr\n", written);
    std::remove(path);

    // A name that cannot be opened (a folder) leaves the log on the null device.
    setVariable(DIAG_LOG_VARIABLE, ".");
    openDiagLog();
    diagLog() << "still accepted\n";
    EXPECT_TRUE(diagLog().good());
    closeDiagLog();
    setVariable(DIAG_LOG_VARIABLE, "");
}

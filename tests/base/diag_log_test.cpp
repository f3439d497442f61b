#include "base/diag_log.h"

#include <cstdio>
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

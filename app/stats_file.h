#pragma once
// For long runs: with NIGHTLOOM_STATS naming a file, the program appends a
// line of its own memory every NIGHTLOOM_STATS_SECONDS (60) of wall time,
// one each time a looping show jumps back to its start (the same point of
// every loop, so loops compare), and one when it ends: the kind ("time",
// "loop" or "end"), seconds since start, demo time, live heap blocks and
// bytes (as its counting allocator counts them), and live Direct3D
// resources, tab-separated after a header line.

#include <chrono>
#include <cstdio>

class StatsFile {
public:
    StatsFile(); // reads the two variables; does nothing without the first
    ~StatsFile();
    StatsFile(const StatsFile&) = delete;
    StatsFile& operator=(const StatsFile&) = delete;

    // Once a frame: writes a line when the interval has passed or the demo
    // time went back (a loop).
    void frame(double demoTime);
    // The closing line, whatever the interval.
    void write(double demoTime, const char* kind = "end");

private:
    std::FILE* file = nullptr;
    double interval = 60;
    double lastDemoTime = 0;
    std::chrono::steady_clock::time_point started, next;
};

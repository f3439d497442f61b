#include "stats_file.h"

#include "heap_count.h"
#include "resource_count.h"

#include <cstdlib>

StatsFile::StatsFile() {
    const char* name = std::getenv("NIGHTLOOM_STATS");
    if (!name || !*name) return;
    if (const char* seconds = std::getenv("NIGHTLOOM_STATS_SECONDS")) {
        const double s = std::atof(seconds);
        if (s > 0) interval = s;
    }
    file = std::fopen(name, "w");
    if (!file) return;
    std::fprintf(file, "kind\tseconds\tdemo_time\theap_blocks\theap_bytes\td3d_resources\n");
    std::fflush(file);
    started = std::chrono::steady_clock::now();
    next = started + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                         std::chrono::duration<double>(interval));
}

StatsFile::~StatsFile() {
    if (file) std::fclose(file);
}

void StatsFile::frame(double demoTime) {
    if (!file) return;
    const bool looped = demoTime < lastDemoTime - 1.0;
    lastDemoTime = demoTime;
    if (looped) write(demoTime, "loop");
    if (std::chrono::steady_clock::now() < next) return;
    write(demoTime, "time");
    next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(interval));
}

void StatsFile::write(double demoTime, const char* kind) {
    if (!file) return;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const HeapCount heap = heapCount();
    std::fprintf(file, "%s\t%.1f\t%.3f\t%lld\t%lld\t%ld\n", kind, seconds, demoTime,
                 static_cast<long long>(heap.allocations), static_cast<long long>(heap.bytes),
                 liveResources());
    std::fflush(file);
}

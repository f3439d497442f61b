#include "profiler.h"

#include "base/diag_log.h"

#include <cinttypes>
#include <cstdio>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#else
#include <chrono>
#endif

uint64_t Profiler::readCounter() {
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    // Without a time-stamp counter, nanoseconds of the steady clock.
    return uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
#endif
}

int Profiler::registerSection(const char* name) {
    sections.push_back(ProfileSection{name, 0, 0, 0, 0, 0});
    return int(sections.size()) - 1;
}

void Profiler::record(int index, uint64_t elapsed) {
    ProfileSection& s = sections[size_t(index)];
    s.total += elapsed;
    if (s.execs == 0 || elapsed < s.min) s.min = elapsed;
    if (elapsed > s.max) s.max = elapsed;
    ++s.execs;
}

void Profiler::registerDemoSections() {
    static const char* const names[] = {
        "CompleteRenderTime", "GetCubeMapSurface",    "Clear",           "setStates",
        "SetSources",         "DrawIndexedPrimitive", "Present",         "svp switch",
        "getMatrix",          "getInvMatrix",         "renderShadowMap",
    };
    for (const char* name : names) registerSection(name);
}

void Profiler::report() const {
    std::ostream& log = diagLog();
    log << "----------- Profiling report --------------\n";
    log << "                     name     execs        clocks    average      min        max\n";
    for (const ProfileSection& s : sections) {
        uint64_t average = s.execs ? s.total / s.execs : 0;
        char line[256];
        std::snprintf(line, sizeof line,
                      "%-25s: %8u %13" PRId64 " %10" PRId64 " %8" PRId64 " %10" PRId64 "\n", s.name,
                      s.execs, int64_t(s.total), int64_t(average), int64_t(s.min), int64_t(s.max));
        log << line;
    }
}

Profiler& profiler() {
    static Profiler table;
    return table;
}
